// Surfaces for the text engines that draw their text into a scratch bitmap of their own (GDI's,
// the browser canvas's): plain memory, so a surface keeps nothing more.
#include "runtime/surface.h"

namespace rt {

struct Surface::Native {};

Surface::Surface(const PixelBuffer& buffer)
    : buffer_(Drawable(buffer)), native_(std::make_unique<Native>()) {}

Surface::~Surface() = default;

}  // namespace rt
