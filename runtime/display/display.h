// Opening the real display: Wayland or X11, whichever the session offers.
#pragma once

#include <memory>

#include "runtime/backend.h"

namespace rt {

// Wayland when WAYLAND_DISPLAY names a compositor (or one listens at the default socket);
// X11 otherwise, and also when WAYLAND_DISPLAY is set but empty, the way to ask for X11 on a
// Wayland session. Throws PlatformError ("cannot open a display: ...") when neither answers;
// there is never an invisible run.
std::unique_ptr<Backend> OpenDisplay();

}  // namespace rt
