#include "runtime/windows/display_timing.h"

#include <dwmapi.h>

#include <chrono>
#include <limits>
#include <vector>

namespace rt::windows {

namespace {

// A compositor's vertical blank further from now than this is not believed.
constexpr std::chrono::seconds kBelievable{1};

}  // namespace

SystemDisplayTiming::SystemDisplayTiming() {
  QueryPerformanceFrequency(&counter_frequency_);
  HMODULE library = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library) {
    // Through a plain function pointer: GetProcAddress hands every function out as one type.
    timing_call_ = reinterpret_cast<TimingCall>(reinterpret_cast<void (*)()>(  // NOLINT
        GetProcAddress(library, "DwmGetCompositionTimingInfo")));
  }
}

std::optional<DisplayTiming::Compositor> SystemDisplayTiming::CompositorTiming() {
  if (!timing_call_) {
    return std::nullopt;
  }
  DWM_TIMING_INFO info{};
  info.cbSize = sizeof info;
  // For the whole desktop: newer systems refuse a window here.
  if (FAILED(timing_call_(nullptr, &info))) {
    return std::nullopt;
  }
  Compositor timing;
  timing.rate = {info.rateRefresh.uiNumerator, info.rateRefresh.uiDenominator};
  const LONGLONG frequency = counter_frequency_.QuadPart;
  if (!timing.rate.Known() && info.qpcRefreshPeriod > 0 &&
      frequency <= std::numeric_limits<std::uint32_t>::max() &&
      info.qpcRefreshPeriod <= std::numeric_limits<std::uint32_t>::max()) {
    // The period in counter ticks: the rate is the counter's frequency over it.
    timing.rate = {static_cast<std::uint32_t>(frequency),
                   static_cast<std::uint32_t>(info.qpcRefreshPeriod)};
  }
  if (info.qpcVBlank > 0 && frequency > 0) {
    // From the performance counter to the runtime's clock, through a reading of both.
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    const TimePoint now = std::chrono::steady_clock::now();
    const auto ago = static_cast<LONGLONG>(counter.QuadPart - info.qpcVBlank);
    const Duration since(ago / frequency * 1'000'000'000LL +
                         ago % frequency * 1'000'000'000LL / frequency);
    if (since > -kBelievable && since < kBelievable) {
      timing.vblank = now - since;
    }
  }
  return timing;
}

RefreshRate SystemDisplayTiming::ModeRate() {
  HMONITOR monitor = window_ ? MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY)
                             : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFOEXW monitor_info{};
  monitor_info.cbSize = sizeof monitor_info;
  UINT32 path_count = 0;
  UINT32 mode_count = 0;
  if (!GetMonitorInfoW(monitor, &monitor_info) ||
      GetDisplayConfigBufferSizes(QDC_ONLY_ACTIVE_PATHS, &path_count, &mode_count) !=
          ERROR_SUCCESS) {
    return {};
  }
  std::vector<DISPLAYCONFIG_PATH_INFO> paths(path_count);
  std::vector<DISPLAYCONFIG_MODE_INFO> modes(mode_count);
  if (QueryDisplayConfig(QDC_ONLY_ACTIVE_PATHS, &path_count, paths.data(), &mode_count,
                         modes.data(), nullptr) != ERROR_SUCCESS) {
    return {};
  }
  RefreshRate first;
  for (UINT32 i = 0; i < path_count; ++i) {
    const DISPLAYCONFIG_PATH_INFO& path = paths[i];
    const RefreshRate rate{path.targetInfo.refreshRate.Numerator,
                           path.targetInfo.refreshRate.Denominator};
    if (i == 0) {
      first = rate;
    }
    // The path whose source is the window's monitor.
    DISPLAYCONFIG_SOURCE_DEVICE_NAME source{};
    source.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME;
    source.header.size = sizeof source;
    source.header.adapterId = path.sourceInfo.adapterId;
    source.header.id = path.sourceInfo.id;
    if (DisplayConfigGetDeviceInfo(&source.header) == ERROR_SUCCESS &&
        lstrcmpiW(source.viewGdiDeviceName, monitor_info.szDevice) == 0) {
      return rate;
    }
  }
  return first;
}

}  // namespace rt::windows
