// Text operations the handlers use: integer to text and concatenation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/types.h"

namespace rt {

// Decimal digits of `value`, with a leading '-' for negatives and no leading blank.
Text IntToText(std::int64_t value);

// A new text: `left` followed directly by `right`.
Text ConcatText(std::u16string_view left, std::u16string_view right);

// UTF-8 form of `text`, for the platform; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Decodes the code point that starts at `text[i]` and moves `i` past it.
char32_t NextCodePoint(std::u16string_view text, std::size_t& i);

}  // namespace rt
