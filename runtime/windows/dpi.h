// Windows' DPI: Tarvel draws every window at its monitor's own pixels, so Windows must never
// stretch them. Newer calls are looked up at run time, so the program still starts on systems
// that lack them and imports nothing beyond the oldest.
#pragma once

#include <windows.h>

namespace rt::windows {

// Pixels per inch at which Windows draws nothing larger than designed.
inline constexpr unsigned kDefaultDpi = 96;

// Declares the process aware of each monitor's DPI: per-monitor v2 (Windows 10 1703 on), else
// per-monitor (8.1), else the system's DPI (Vista). Called once at start-up, before any window.
void BecomeDpiAware();

// The DPI of the monitor `window` is on, or the primary monitor's for a null window.
unsigned DpiOf(HWND window);

// The window rectangle, relative to its client area's top-left, of a window with that style
// whose client area is `width` x `height` at `dpi`.
RECT OuterRect(int width, int height, DWORD style, DWORD ex_style, unsigned dpi);

}  // namespace rt::windows
