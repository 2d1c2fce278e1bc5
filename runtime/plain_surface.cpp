// Surfaces as plain memory, filled row by row, for the text engines that draw their text into a
// scratch bitmap of their own (GDI's, the browser canvas's), so a surface keeps nothing more.
#include <algorithm>
#include <cstdint>

#include "runtime/surface.h"

namespace rt {

struct Surface::Native {};

Surface::Surface(const PixelBuffer& buffer)
    : buffer_(Drawable(buffer)), native_(std::make_unique<Native>()) {}

Surface::~Surface() = default;

// Not const: it changes the pixels, if not the surface's own members.
void Surface::Fill(const PixelRect& rect,  // NOLINT(readability-make-member-function-const)
                   Color color) {
  const PixelRect area = Intersect(rect, Bounds());
  if (area.empty()) {
    return;
  }
  const std::uint32_t pixel = (std::uint32_t{color.red} << 16) | (std::uint32_t{color.green} << 8) |
                              std::uint32_t{color.blue};
  for (int y = area.y; y < area.y + area.height; ++y) {
    std::uint32_t* row = buffer_.Row(y) + area.x;
    std::fill(row, row + area.width, pixel);
  }
}

}  // namespace rt
