#include "runtime/surface.h"

#include <pixman.h>

#include <algorithm>
#include <stdexcept>

namespace rt {

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  const int left = std::max(a.x, b.x);
  const int top = std::max(a.y, b.y);
  const int right = std::min(a.x + a.width, b.x + b.width);
  const int bottom = std::min(a.y + a.height, b.y + b.height);
  if (right <= left || bottom <= top) {
    return {};
  }
  return {left, top, right - left, bottom - top};
}

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) {
    return b;
  }
  if (b.empty()) {
    return a;
  }
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.width, b.x + b.width);
  const int bottom = std::max(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

Surface::Surface(const PixelBuffer& buffer) : buffer_(buffer) {
  if (buffer.empty() || buffer.stride < buffer.width * 4 || buffer.stride % 4 != 0) {
    throw std::invalid_argument("not a drawable pixel buffer");
  }
  image_ = pixman_image_create_bits_no_clear(PIXMAN_x8r8g8b8, buffer.width, buffer.height,
                                             buffer.pixels, buffer.stride);
  if (!image_) {
    throw std::bad_alloc();
  }
}

Surface::~Surface() {
  pixman_image_unref(image_);
}

bool Surface::Wraps(const PixelBuffer& buffer) const {
  return buffer.pixels == buffer_.pixels && buffer.width == buffer_.width &&
         buffer.height == buffer_.height && buffer.stride == buffer_.stride;
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
