// Text: strings of 16-bit characters, and the operations the handlers use on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace rt {

// A text of 16-bit characters that owns its storage; assigning to it replaces (and releases)
// what it held. Short texts live inside the object: every caption this program builds, a face
// and any 64-bit count, fits, so the per-tick work never touches the heap. Longer texts move
// to the heap, and keep that storage for reuse.
class Text {
 public:
  static constexpr std::size_t kInline = 31;

  Text() noexcept = default;
  Text(std::u16string_view text) { assign(text); }  // NOLINT(google-explicit-constructor)
  Text(const char16_t* text) : Text(std::u16string_view(text)) {}  // NOLINT
  Text(const Text& other) : Text(std::u16string_view(other)) {}
  Text(Text&& other) noexcept;
  Text& operator=(const Text& other);
  Text& operator=(Text&& other) noexcept;
  Text& operator=(std::u16string_view text);
  Text& operator=(const char16_t* text) { return *this = std::u16string_view(text); }
  ~Text() = default;

  void assign(std::u16string_view text);
  void append(std::u16string_view text);
  void reserve(std::size_t size);

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const char16_t* data() const { return heap_ ? heap_.get() : inline_; }
  operator std::u16string_view() const { return {data(), size_}; }  // NOLINT

  friend bool operator==(const Text& a, std::u16string_view b) {
    return std::u16string_view(a) == b;
  }

 private:
  char16_t* storage() { return heap_ ? heap_.get() : inline_; }

  std::size_t size_ = 0;
  std::size_t capacity_ = kInline;
  std::unique_ptr<char16_t[]> heap_;
  char16_t inline_[kInline] = {};
};

// Prints a text as UTF-8 (for test failure messages).
std::ostream& operator<<(std::ostream& out, const Text& text);

// Decimal digits of `value`, with a leading '-' for negatives and no leading blank.
Text IntToText(std::int64_t value);

// A new text: `left` followed directly by `right`.
Text ConcatText(std::u16string_view left, std::u16string_view right);

// UTF-8 form of `text`, for the platform; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);

// The 16-bit form of UTF-8 `text`; malformed sequences become U+FFFD.
std::u16string FromUtf8(std::string_view text);

// Decodes the code point that starts at `text[i]` and moves `i` past it.
char32_t NextCodePoint(std::u16string_view text, std::size_t& i);

}  // namespace rt
