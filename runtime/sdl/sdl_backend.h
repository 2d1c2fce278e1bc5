// The real display backend: SDL2 on X11 or Wayland.
#pragma once

#include <memory>
#include <string>

#include "runtime/backend.h"

namespace rt {

// Opens the display. Throws PlatformError with "cannot open a display" when there is no usable
// X11 or Wayland display; SDL is never allowed to fall back to an invisible offscreen driver.
// `program` opens the line printed if the display is lost later on.
std::unique_ptr<Backend> MakeSdlBackend(const std::string& program);

}  // namespace rt
