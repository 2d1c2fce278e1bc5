// Value types shared by the runtime and the forms that run on it.
#pragma once

#include <cstdint>

namespace rt {

// Every position and size is in twips, 1/1440 inch, held in single precision.
using Twips = float;

// Twips per pixel at 96 pixels per inch.
inline constexpr Twips kTwipsPerPixelAt96Dpi = 15.0F;

// 16-bit truth value: 0 is false, -1 is true, and any non-zero value tests true.
using Boolean = std::int16_t;
inline constexpr Boolean True = -1;
inline constexpr Boolean False = 0;

struct Color {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct PixelPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
  bool Contains(PixelPoint p) const {
    return p.x >= x && p.x < x + width && p.y >= y && p.y < y + height;
  }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

}  // namespace rt
