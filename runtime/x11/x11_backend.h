// The native X11 backend: XCB, pixels through MIT-SHM; one thread, one round trip at start and
// none per frame.
#pragma once

#include <memory>

#include "runtime/backend.h"

namespace rt {

// Connects to the X server DISPLAY names. Throws PlatformError ("cannot open a display: ...")
// when there is none.
std::unique_ptr<Backend> MakeX11Backend();

}  // namespace rt
