// Surfaces for the FreeType engine: pixman's image over the pixels, which glyphs are composited
// onto.
#include "runtime/freetype/surface_native.h"

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

}  // namespace rt
