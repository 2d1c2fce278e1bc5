// What every surface does, whichever graphics implementation draws on it.
#include "runtime/surface.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace rt {

const PixelBuffer& Surface::Drawable(const PixelBuffer& buffer) {
  if (buffer.empty() || buffer.stride < buffer.width * 4 || buffer.stride % 4 != 0) {
    throw std::invalid_argument("not a drawable pixel buffer");
  }
  return buffer;
}

bool Surface::Wraps(const PixelBuffer& buffer) const {
  return buffer.pixels == buffer_.pixels && buffer.width == buffer_.width &&
         buffer.height == buffer_.height && buffer.stride == buffer_.stride;
}

// Not const: it changes the pixels, if not the surface's own members. Row by row: a solid fill
// needs nothing of the graphics library, and the compiler makes each row one wide store loop.
void Surface::Fill(const PixelRect& rect,  // NOLINT(readability-make-member-function-const)
                   Color color) {
  const PixelRect area = Intersect(rect, Bounds());
  if (area.empty()) {
    return;
  }
  const std::uint32_t pixel = Xrgb(color);
  for (int y = area.y; y < area.y + area.height; ++y) {
    std::uint32_t* row = buffer_.Row(y) + area.x;
    std::fill(row, row + area.width, pixel);
  }
}

}  // namespace rt
