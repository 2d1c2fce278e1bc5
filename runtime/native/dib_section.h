// A 32-bit top-down DIB section: memory laid out as the runtime's pixel buffers are (row 0 at
// the top, 0x00RRGGBB pixels), which GDI draws into and copies from.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/types.h"

namespace rt::gdi {

// Makes one of `size` for `dc`; its pixels go to `pixels`. Null when Windows makes none.
HBITMAP MakeDibSection(HDC dc, PixelSize size, std::uint32_t*& pixels);

}  // namespace rt::gdi
