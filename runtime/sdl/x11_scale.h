// The scale an X11 desktop asks for, which SDL 2 does not read.
#pragma once

namespace rt {

// The Xft.dpi resource of the default display over 96 (2 for "Xft.dpi: 192"), or 1 when it is
// missing or makes no sense.
float X11Scale();

// The same, from the text of a resource database (what xrdb loads into RESOURCE_MANAGER).
float ScaleFromResources(const char* resources);

}  // namespace rt
