#include "runtime/windows/windows_backend.h"

#include <string>
#include <vector>

#include "runtime/native/window_list.h"
#include "runtime/windows/display_timing.h"
#include "runtime/windows/dpi.h"
#include "runtime/windows/failure_box.h"
#include "runtime/windows/frame_pacer.h"
#include "runtime/windows/frame_timer.h"
#include "runtime/windows/window.h"

namespace rt {

namespace {

using windows::FramePacer;
using windows::FrameTimer;
using windows::SystemDisplayTiming;
using windows::Window;
using windows::WindowClass;

class WindowsBackend final : public BackendOfWindows<Window> {
 public:
  WindowsBackend()
      : scale_(static_cast<float>(windows::DpiOf(nullptr)) /
               static_cast<float>(windows::kDefaultDpi)) {}
  ~WindowsBackend() override { windows_.Clear(); }
  WindowsBackend(const WindowsBackend&) = delete;
  WindowsBackend& operator=(const WindowsBackend&) = delete;

  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
  Duration FramePeriod() const override { return pacer_.Period(); }
  float Scale() const override { return scale_; }

  WindowId OpenWindow(const WindowSpec& wanted) override {
    const WindowId id = windows_.Add(std::make_unique<Window>(
        class_, windows_.NextId(), wanted, windows_.Find(wanted.parent), queue_));
    if (id == kForm) {
      // Its monitor's refresh rate is the one that counts.
      display_timing_.SetWindow(windows_.Find(id)->handle());
      pacer_.DisplayChanged();
    }
    return id;
  }
  void CloseWindow(WindowId window) override { windows_.Remove(window); }
  void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) override;
  void ShowFailure(const std::string& title, const std::string& message) override {
    windows::ShowFailureBox(title, message);
  }

 private:
  // The form: the window whose frames are paced.
  static constexpr WindowId kForm = 0;

  // Hands every message waiting for this thread to its window procedure, and tells the pacer
  // when the display changed.
  void Dispatch();
  // When to wake for `deadline`: a frame's slot in the display's refresh, or the deadline.
  std::optional<TimePoint> FrameSlot(TimePoint deadline);

  WindowClass class_;
  FrameTimer timer_;
  SystemDisplayTiming display_timing_;
  FramePacer pacer_{display_timing_};
  float scale_;
  // Events heard from the window procedures; handed over at the end of each wait.
  std::vector<WindowEvent> queue_;
};

void WindowsBackend::Dispatch() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (Window* form = windows_.Find(kForm); form && form->TakeDisplayChanged()) {
    pacer_.DisplayChanged();
  }
}

std::optional<TimePoint> WindowsBackend::FrameSlot(TimePoint deadline) {
  const Window* form = windows_.Find(kForm);
  if (!form || deadline == kNoDeadline || IsIconic(form->handle())) {
    // Nothing is shown: the loop's own deadline stands, and frames start afresh after.
    pacer_.Forget();
    return std::nullopt;
  }
  return pacer_.SlotFor(deadline, Now());
}

void WindowsBackend::WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) {
  // A frame's deadline moves to its slot in the display's refresh, just after a vertical
  // blank (up to half a period either way); reaching the slot is the display's word that the
  // next frame is wanted, as a compositor's frame callback is elsewhere. So the loop keeps the
  // display's pace and phase, at one wake-up a frame.
  const std::optional<TimePoint> slot = FrameSlot(deadline);
  if (slot) {
    deadline = *slot;
  }
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
  if (slot && Now() >= *slot) {
    pacer_.Took(*slot);
    queue_.push_back({.kind = WindowEvent::Kind::kFrameReady, .window = kForm});
  }
  events.insert(events.end(), queue_.begin(), queue_.end());
  queue_.clear();
}

}  // namespace

std::unique_ptr<Backend> MakeWindowsBackend() {
  return std::make_unique<WindowsBackend>();
}

}  // namespace rt
