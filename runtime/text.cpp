#include "runtime/text.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace rt {

Text::Text(Text&& other) noexcept
    : size_(other.size_), capacity_(other.capacity_), heap_(std::move(other.heap_)) {
  if (!heap_) {
    std::copy_n(other.inline_, size_, inline_);
  }
  other.size_ = 0;
  other.capacity_ = kInline;
}

Text& Text::operator=(const Text& other) {
  if (this != &other) {
    assign(other);
  }
  return *this;
}

Text& Text::operator=(Text&& other) noexcept {
  if (this != &other) {
    size_ = other.size_;
    capacity_ = other.capacity_;
    heap_ = std::move(other.heap_);
    if (!heap_) {
      std::copy_n(other.inline_, size_, inline_);
    }
    other.size_ = 0;
    other.capacity_ = kInline;
  }
  return *this;
}

Text& Text::operator=(std::u16string_view text) {
  assign(text);
  return *this;
}

void Text::reserve(std::size_t size) {
  if (size <= capacity_) {
    return;
  }
  const std::size_t capacity = std::max(size, capacity_ * 2);
  auto grown = std::make_unique<char16_t[]>(capacity);
  std::copy_n(data(), size_, grown.get());
  heap_ = std::move(grown);
  capacity_ = capacity;
}

void Text::assign(std::u16string_view text) {
  if (text.data() >= data() && text.data() < data() + capacity_) {
    // Part of this very text: copy it out before the storage can change.
    *this = Text(text);
    return;
  }
  size_ = 0;
  append(text);
}

void Text::append(std::u16string_view text) {
  if (text.data() >= data() && text.data() < data() + capacity_) {
    const Text copy(text);
    append(copy);
    return;
  }
  reserve(size_ + text.size());
  std::copy_n(text.data(), text.size(), storage() + size_);
  size_ += text.size();
}

std::ostream& operator<<(std::ostream& out, const Text& text) {
  return out << ToUtf8(text);
}

Text IntToText(std::int64_t value) {
  // Work on the magnitude as unsigned so the most negative value has a magnitude too.
  std::uint64_t magnitude = value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value)
                                      : static_cast<std::uint64_t>(value);
  constexpr std::size_t kLongest = 20;  // a sign and 19 digits
  char16_t digits[kLongest];
  std::size_t first = kLongest;
  do {
    digits[--first] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) {
    digits[--first] = u'-';
  }
  return std::u16string_view(digits + first, kLongest - first);
}

Text ConcatText(std::u16string_view left, std::u16string_view right) {
  Text text;
  text.reserve(left.size() + right.size());
  text.append(left);
  text.append(right);
  return text;
}

char32_t NextCodePoint(std::u16string_view text, std::size_t& i) {
  const char32_t unit = text[i++];
  if (unit >= 0xD800 && unit <= 0xDBFF && i < text.size()) {
    const char32_t low = text[i];
    if (low >= 0xDC00 && low <= 0xDFFF) {
      ++i;
      return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  if (unit >= 0xD800 && unit <= 0xDFFF) {
    return 0xFFFD;
  }
  return unit;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t cp = NextCodePoint(text, i);
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

namespace {

// The code point of a well-formed UTF-8 sequence at `text[i]`, moving `i` past it; U+FFFD
// (and one byte) for anything else: stray or missing continuation bytes, overlong forms,
// surrogates and values past U+10FFFF.
char32_t NextUtf8(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) {
    return lead;
  }
  int length = 0;
  char32_t cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 2;
    cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 3;
    cp = lead & 0x07;
  } else {
    return 0xFFFD;
  }
  if (i + static_cast<std::size_t>(length) > text.size()) {
    return 0xFFFD;
  }
  for (int k = 0; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) {
      return 0xFFFD;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  const char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
  if (cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0xFFFD;
  }
  i += static_cast<std::size_t>(length);
  return cp;
}

}  // namespace

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t cp = NextUtf8(text, i);
    if (cp < 0x10000) {
      out.push_back(static_cast<char16_t>(cp));
    } else {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
  }
  return out;
}

}  // namespace rt
