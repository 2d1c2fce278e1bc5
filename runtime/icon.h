// Icon images, kept as XPM text: a readable, diffable source for their pixels.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace rt {

struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // row by row; alpha 0 where the XPM says None
};

// Parses an XPM image with one character per pixel and colours written as #RRGGBB or None.
// Throws std::invalid_argument when the data is not such an image.
IconImage ParseXpm(std::span<const char* const> xpm);

}  // namespace rt
