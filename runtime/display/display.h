// Opening the real display: on Linux Wayland or X11, whichever the session offers; on Windows
// its own windows.
#pragma once

#include <memory>

#include "runtime/backend.h"

namespace rt {

// Wayland when WAYLAND_DISPLAY names a compositor (or one listens at the default socket);
// X11 otherwise, and also when WAYLAND_DISPLAY is set but empty, the way to ask for X11 on a
// Wayland session. Throws PlatformError ("cannot open a display: ...") when neither answers;
// there is never an invisible run. On Windows, the Win32 backend, the process made aware of
// each monitor's DPI first.
std::unique_ptr<Backend> OpenDisplay();

}  // namespace rt
