// The real display backend: SDL2 on X11 or Wayland.
#pragma once

#include <memory>

#include "runtime/backend.h"

namespace rt {

// Opens the display. Throws PlatformError with "cannot open a display" when there is no usable
// X11 or Wayland display; SDL is never allowed to fall back to an invisible offscreen driver.
std::unique_ptr<Backend> MakeSdlBackend();

}  // namespace rt
