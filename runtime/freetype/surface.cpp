#include "runtime/freetype/surface_native.h"

#include <algorithm>
#include <stdexcept>

namespace rt {

Surface::Surface(const PixelBuffer& buffer)
    : buffer_(Drawable(buffer)), native_(std::make_unique<Native>()) {
  native_->image = pixman_image_create_bits_no_clear(PIXMAN_x8r8g8b8, buffer.width, buffer.height,
                                                     buffer.pixels, buffer.stride);
  if (!native_->image) {
    throw std::bad_alloc();
  }
}

Surface::~Surface() {
  pixman_image_unref(native_->image);
}

// Not const: it changes the pixels, if not the surface's own members.
void Surface::Fill(const PixelRect& rect,  // NOLINT(readability-make-member-function-const)
                   Color color) {
  const PixelRect area = Intersect(rect, Bounds());
  if (area.empty()) {
    return;
  }
  const std::uint32_t pixel = (std::uint32_t{color.red} << 16) | (std::uint32_t{color.green} << 8) |
                              std::uint32_t{color.blue};
  // A plain fill: pixman's solid-fill path writes rows directly and allocates nothing.
  pixman_fill(buffer_.pixels, buffer_.stride / 4, 32, area.x, area.y, area.width, area.height,
              pixel);
}

}  // namespace rt
