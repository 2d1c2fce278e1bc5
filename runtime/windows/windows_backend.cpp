#include "runtime/windows/windows_backend.h"

#include <string>
#include <vector>

#include "runtime/display/window_list.h"
#include "runtime/windows/dpi.h"
#include "runtime/windows/failure_box.h"
#include "runtime/windows/frame_timer.h"
#include "runtime/windows/window.h"

namespace rt {

namespace {

using windows::FrameTimer;
using windows::Window;
using windows::WindowClass;

constexpr DWORD kFallbackRefreshHz = 60;

class WindowsBackend final : public BackendOfWindows<Window> {
 public:
  WindowsBackend()
      : scale_(static_cast<float>(windows::DpiOf(nullptr)) /
               static_cast<float>(windows::kDefaultDpi)) {}
  ~WindowsBackend() override { windows_.Clear(); }
  WindowsBackend(const WindowsBackend&) = delete;
  WindowsBackend& operator=(const WindowsBackend&) = delete;

  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
  Duration FramePeriod() const override;
  float Scale() const override { return scale_; }

  WindowId OpenWindow(const WindowSpec& wanted) override {
    return windows_.Add(std::make_unique<Window>(class_, windows_.NextId(), wanted,
                                                 windows_.Find(wanted.parent), queue_));
  }
  void CloseWindow(WindowId window) override { windows_.Remove(window); }
  void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) override;
  void ShowFailure(const std::string& title, const std::string& message) override {
    windows::ShowFailureBox(title, message);
  }

 private:
  // Hands every message waiting for this thread to its window procedure.
  static void Dispatch();

  WindowClass class_;
  FrameTimer timer_;
  float scale_;
  // Events heard from the window procedures; handed over at the end of each wait.
  std::vector<WindowEvent> queue_;
};

Duration WindowsBackend::FramePeriod() const {
  const Window* form = windows_.Find(0);
  HMONITOR monitor = form ? MonitorFromWindow(form->handle(), MONITOR_DEFAULTTOPRIMARY)
                          : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  DWORD hz = 0;
  if (GetMonitorInfoW(monitor, &info) &&
      EnumDisplaySettingsW(info.szDevice, ENUM_CURRENT_SETTINGS, &mode)) {
    hz = mode.dmDisplayFrequency;
  }
  // 0 and 1 stand for the hardware's default rate.
  if (hz <= 1) {
    hz = kFallbackRefreshHz;
  }
  return Duration(1'000'000'000LL / hz);
}

void WindowsBackend::Dispatch() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void WindowsBackend::WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) {
  // The one wait: the thread's messages and the frame timer, until the deadline. Under Wine
  // every message call is a round trip to its server and costs a wake-up of its own, so the
  // queue is read only when the wait says something is in it (or once, when there is no time
  // to wait at all).
  if (queue_.empty() && Now() >= deadline) {
    Dispatch();
  }
  while (queue_.empty() && Now() < deadline) {
    HANDLE timer = timer_.handle();
    DWORD waited_on = 0;
    DWORD timeout = INFINITE;
    if (deadline != kNoDeadline) {
      const Duration left = deadline - Now();
      timer_.ArmFor(deadline, left);
      waited_on = 1;
      if (!timer_.high_resolution()) {
        // An ordinary timer fires on the system's tick; the wait's own limit, in whole
        // milliseconds, bounds how late that is.
        timeout = static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
      }
    }
    // Messages already seen but not taken count too, so none can wait unnoticed.
    const DWORD woke = MsgWaitForMultipleObjectsEx(waited_on, waited_on ? &timer : nullptr, timeout,
                                                   QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) {
      throw PlatformError("cannot wait for the display (error " + std::to_string(GetLastError()) +
                          ")");
    }
    if (waited_on && woke == WAIT_OBJECT_0) {
      timer_.Fired();
    } else {
      Dispatch();  // messages, or the ordinary timer's limit: look before waiting again
    }
  }
  events.insert(events.end(), queue_.begin(), queue_.end());
  queue_.clear();
}

}  // namespace

std::unique_ptr<Backend> MakeWindowsBackend() {
  return std::make_unique<WindowsBackend>();
}

}  // namespace rt
