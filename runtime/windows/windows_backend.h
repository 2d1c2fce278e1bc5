// The native Windows backend: Win32 windows drawn from DIB sections by GDI, one thread, one
// wait per frame on a waitable timer and the thread's messages.
#pragma once

#include <memory>

#include "runtime/backend.h"

namespace rt {

// Throws PlatformError when the window class or the frame timer cannot be made.
std::unique_ptr<Backend> MakeWindowsBackend();

}  // namespace rt
