// The scale an X11 desktop asks for: its Xft.dpi resource over 96.
#pragma once

#include <xcb/xcb.h>

namespace rt::x11 {

// From the text of a resource database (what xrdb loads into RESOURCE_MANAGER): 2 for
// "Xft.dpi: 192", 1 when it is missing or makes no sense, and never beyond 1 to 4.
float ScaleFromResources(const char* resources);

// The same, from the resources of the screen `connection` is on.
float ScaleOf(xcb_connection_t* connection);

}  // namespace rt::x11
