// The native Wayland backend: libwayland-client, shared-memory buffers, xdg-shell; one thread,
// no GL.
#pragma once

#include <memory>

#include "runtime/backend.h"

namespace rt {

// Connects to the Wayland compositor the environment names. Throws PlatformError ("cannot open
// a display: ...") when there is none to be had.
std::unique_ptr<Backend> MakeWaylandBackend();

}  // namespace rt
