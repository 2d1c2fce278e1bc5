#include "runtime/wayland/wayland_backend.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "runtime/native/display_wait.h"
#include "runtime/native/signal_watch.h"
#include "runtime/native/window_list.h"
#include "runtime/wayland/connection.h"
#include "runtime/wayland/window.h"

namespace rt {

namespace {

using wayland::Connection;
using wayland::Window;

constexpr int kFallbackRefreshMilliHz = 60'000;

class WaylandBackend final : public BackendOfWindows<Window> {
 public:
  WaylandBackend() : connection_(queue_), scale_(connection_.LargestScale()) {
    connection_.OnOutputsChanged(
        [this] { windows_.ForEach([](Window& window) { window.OutputsChanged(); }); });
  }
  ~WaylandBackend() override { windows_.Clear(); }
  WaylandBackend(const WaylandBackend&) = delete;
  WaylandBackend& operator=(const WaylandBackend&) = delete;

  TimePoint Now() const override { return std::chrono::steady_clock::now(); }

  Duration FramePeriod() const override {
    const Window* main = windows_.Find(0);
    int mhz = connection_.RefreshMilliHz(main ? main->CurrentOutput() : nullptr);
    if (mhz <= 0) {
      mhz = kFallbackRefreshMilliHz;
    }
    return Duration(1'000'000'000'000LL / mhz);
  }

  float Scale() const override { return static_cast<float>(scale_); }

  WindowId OpenWindow(const WindowSpec& wanted) override {
    return windows_.Add(std::make_unique<Window>(connection_, windows_.NextId(), wanted, scale_,
                                                 windows_.Find(wanted.parent)));
  }

  void CloseWindow(WindowId window) override {
    windows_.Remove(window);
    wl_display_flush(connection_.display());
  }

  void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) override;
  void PaceByClock(WindowId window, bool by_clock) override {
    if (Window* found = windows_.Find(window)) {
      found->PaceByClock(by_clock);
    }
  }

 private:
  // Until when the socket may be left unwatched, to be read at that moment; `now` or earlier
  // when it must be watched.
  TimePoint UnwatchedUntil(TimePoint now, TimePoint deadline) const;

  // Events heard while dispatching; handed over at the end of each wait.
  std::vector<WindowEvent> queue_;
  Connection connection_;
  int scale_;
  SignalWatch signals_;
};

TimePoint WaylandBackend::UnwatchedUntil(TimePoint now, TimePoint deadline) const {
  if (deadline == kNoDeadline || deadline - now > kLongestUnwatchedWait) {
    return now;  // not animating: a dialog waits for its answer, and hears it at once
  }
  std::optional<TimePoint> look;
  bool must_watch = false;
  windows_.ForEach([&](const Window& window) {
    if (!window.WaitingForCompositor()) {
      return;
    }
    if (const std::optional<TimePoint> at = window.LookForCallbackAt(now)) {
      look = look ? std::min(*look, *at) : *at;
    } else {
      must_watch = true;  // for a release, or a callback there is no forecast for
    }
  });
  if (must_watch) {
    return now;
  }
  return look ? std::min(*look, deadline) : deadline;
}

void WaylandBackend::WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) {
  wl_display* display = connection_.display();
  // The one wait: the compositor's socket and the signals, until the deadline. While the form
  // animates, the socket is left unwatched until the frame callback is due (or the deadline),
  // and whatever came meanwhile is read then.
  for (;;) {
    const TimePoint start = Now();
    windows_.ForEach([start](Window& window) { window.ReleaseHeld(start); });
    while (wl_display_prepare_read(display) != 0) {
      if (wl_display_dispatch_pending(display) < 0) {
        connection_.Lost();
      }
    }
    if (!queue_.empty()) {
      wl_display_cancel_read(display);
      break;
    }
    bool until_writable = false;
    if (wl_display_flush(display) < 0) {
      if (errno != EAGAIN) {
        wl_display_cancel_read(display);
        connection_.Lost();
      }
      until_writable = true;  // the socket is full: wait until it takes the rest as well
    }
    const TimePoint now = Now();
    const TimePoint unwatched_until = until_writable ? now : UnwatchedUntil(now, deadline);
    const bool watch = unwatched_until <= now;
    Woken woken;
    try {
      woken = WaitForDisplay(watch ? wl_display_get_fd(display) : -1, until_writable, signals_,
                             watch ? deadline : unwatched_until);
    } catch (...) {
      wl_display_cancel_read(display);
      throw;
    }
    if (woken.display || !watch) {
      // Unwatched, the socket is read all the same: it reads what is there, or nothing.
      connection_.Read({.at = Now(), .watched = watch});
      if (wl_display_read_events(display) < 0) {
        connection_.Lost();
      }
    } else {
      wl_display_cancel_read(display);
    }
    if (wl_display_dispatch_pending(display) < 0) {
      connection_.Lost();
    }
    if (woken.signalled) {
      queue_.push_back({.kind = WindowEvent::Kind::kCloseRequested, .window = kNoWindow});
    }
    if (!queue_.empty() || Now() >= deadline) {
      break;
    }
  }
  events.insert(events.end(), queue_.begin(), queue_.end());
  queue_.clear();
}

}  // namespace

std::unique_ptr<Backend> MakeWaylandBackend() {
  return std::make_unique<WaylandBackend>();
}

}  // namespace rt
