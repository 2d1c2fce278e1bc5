// The display's timing as Windows tells it, for the frame pacer: the desktop compositor's
// refresh rate and last vertical blank (DwmGetCompositionTimingInfo, looked up at run time,
// so the program starts where there is none), and the exact rational refresh rate of the
// monitor a window is on (QueryDisplayConfig).
#pragma once

#include <windows.h>

#include "runtime/windows/frame_pacer.h"

namespace rt::windows {

class SystemDisplayTiming final : public DisplayTiming {
 public:
  SystemDisplayTiming();

  // The window whose monitor's mode counts (the primary monitor's until one is given).
  void SetWindow(HWND window) { window_ = window; }

  std::optional<Compositor> CompositorTiming() override;
  RefreshRate ModeRate() override;

 private:
  using TimingCall = HRESULT(WINAPI*)(HWND, void*);
  TimingCall timing_call_ = nullptr;
  LARGE_INTEGER counter_frequency_{};
  HWND window_ = nullptr;
};

}  // namespace rt::windows
