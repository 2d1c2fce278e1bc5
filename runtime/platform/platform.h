// The platform a build runs on, chosen in one place: the only code that knows every backend.
#pragma once

#include <memory>

#include "runtime/backend.h"

namespace rt {

// The real display, for the native builds (the page drives itself: see page_session.h).
// On Linux: Wayland when WAYLAND_DISPLAY names a compositor (or one listens at the default
// socket); X11 otherwise, and also when WAYLAND_DISPLAY is set but empty, the way to ask for
// X11 on a Wayland session. On Windows: the Win32 backend, the process made aware of each
// monitor's DPI first. Throws PlatformError ("cannot open a display: ...") when none answers;
// there is never an invisible run.
std::unique_ptr<Backend> OpenDisplay();

}  // namespace rt
