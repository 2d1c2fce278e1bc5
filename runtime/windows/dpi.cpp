#include "runtime/windows/dpi.h"

namespace rt::windows {

namespace {

// A function of a system library, or null where this Windows has none.
template <class Function>
Function Find(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (!module) {
    module = LoadLibraryW(library);
  }
  if (!module) {
    return nullptr;
  }
  // Through a plain function pointer: GetProcAddress hands every function out as one type.
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, name)));  // NOLINT
}

// From shellscalingapi.h, which older headers lack.
constexpr int kProcessPerMonitorDpiAware = 2;
constexpr int kMonitorDpiEffective = 0;

}  // namespace

void BecomeDpiAware() {
  using Context = BOOL(WINAPI*)(HANDLE);
  using Awareness = HRESULT(WINAPI*)(int);
  using Aware = BOOL(WINAPI*)();
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2.
  const auto per_monitor_v2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));  // NOLINT
  if (const auto set_context = Find<Context>(L"user32.dll", "SetProcessDpiAwarenessContext");
      set_context && set_context(per_monitor_v2)) {
    return;
  }
  if (const auto set_awareness = Find<Awareness>(L"shcore.dll", "SetProcessDpiAwareness");
      set_awareness && SUCCEEDED(set_awareness(kProcessPerMonitorDpiAware))) {
    return;
  }
  if (const auto set_aware = Find<Aware>(L"user32.dll", "SetProcessDPIAware")) {
    set_aware();
  }
}

unsigned DpiOf(HWND window) {
  using ForWindow = UINT(WINAPI*)(HWND);
  using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  if (window) {
    if (const auto for_window = Find<ForWindow>(L"user32.dll", "GetDpiForWindow")) {
      if (const UINT dpi = for_window(window)) {
        return dpi;
      }
    }
  }
  HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)
                            : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (const auto for_monitor = Find<ForMonitor>(L"shcore.dll", "GetDpiForMonitor")) {
    UINT x = 0;
    UINT y = 0;
    if (SUCCEEDED(for_monitor(monitor, kMonitorDpiEffective, &x, &y)) && x > 0) {
      return x;
    }
  }
  // The system's DPI, as every version has it.
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) {
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? static_cast<unsigned>(dpi) : kDefaultDpi;
}

RECT OuterRect(int width, int height, DWORD style, DWORD ex_style, unsigned dpi) {
  using ForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  RECT rect{0, 0, width, height};
  if (const auto for_dpi = Find<ForDpi>(L"user32.dll", "AdjustWindowRectExForDpi")) {
    if (for_dpi(&rect, style, FALSE, ex_style, dpi)) {
      return rect;
    }
  }
  AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  return rect;
}

}  // namespace rt::windows
