// What every surface does, whichever graphics implementation draws on it.
#include "runtime/surface.h"

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

}  // namespace rt
