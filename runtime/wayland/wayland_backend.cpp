#include "runtime/wayland/wayland_backend.h"

#include <poll.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "runtime/display/signal_watch.h"
#include "runtime/wayland/connection.h"
#include "runtime/wayland/window.h"

namespace rt {

namespace {

using wayland::Connection;
using wayland::Window;

constexpr int kFallbackRefreshMilliHz = 60'000;

class WaylandBackend final : public Backend {
 public:
  WaylandBackend() : connection_(queue_), scale_(connection_.LargestScale()) {
    connection_.OnOutputsChanged([this] {
      for (const auto& window : windows_) {
        if (window) {
          window->OutputsChanged();
        }
      }
    });
  }
  ~WaylandBackend() override { windows_.clear(); }
  WaylandBackend(const WaylandBackend&) = delete;
  WaylandBackend& operator=(const WaylandBackend&) = delete;

  TimePoint Now() const override { return std::chrono::steady_clock::now(); }

  Duration FramePeriod() const override {
    const Window* main = Find(0);
    int mhz = connection_.RefreshMilliHz(main ? main->CurrentOutput() : nullptr);
    if (mhz <= 0) {
      mhz = kFallbackRefreshMilliHz;
    }
    return Duration(1'000'000'000'000LL / mhz);
  }

  float Scale() const override { return static_cast<float>(scale_); }

  WindowId OpenWindow(const WindowSpec& spec) override {
    const auto id = static_cast<WindowId>(windows_.size());
    windows_.push_back(std::make_unique<Window>(connection_, id, spec, scale_, Find(spec.parent)));
    return id;
  }

  void CloseWindow(WindowId window) override {
    if (Find(window)) {
      windows_[static_cast<std::size_t>(window)].reset();
      wl_display_flush(connection_.display());
    }
  }

  bool CanPresent(WindowId window) const override {
    const Window* found = Find(window);
    return found && found->CanPresent();
  }

  PixelBuffer Buffer(WindowId window) override { return Get(window).Buffer(); }

  void Present(WindowId window, std::span<const PixelRect> damage) override {
    Get(window).Present(damage);
  }

  void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) override;

 private:
  Window* Find(WindowId window) const {
    if (window < 0 || static_cast<std::size_t>(window) >= windows_.size()) {
      return nullptr;
    }
    return windows_[static_cast<std::size_t>(window)].get();
  }
  Window& Get(WindowId window) const {
    Window* found = Find(window);
    if (!found) {
      throw std::logic_error("no such window");
    }
    return *found;
  }

  // Events heard while dispatching; handed over at the end of each wait.
  std::vector<WindowEvent> queue_;
  Connection connection_;
  int scale_;
  SignalWatch signals_;
  std::vector<std::unique_ptr<Window>> windows_;
};

void WaylandBackend::WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) {
  wl_display* display = connection_.display();
  // The one wait: the compositor's socket and the signals, until the deadline.
  for (;;) {
    while (wl_display_prepare_read(display) != 0) {
      if (wl_display_dispatch_pending(display) < 0) {
        connection_.Lost();
      }
    }
    if (!queue_.empty()) {
      wl_display_cancel_read(display);
      break;
    }
    short want = POLLIN;
    if (wl_display_flush(display) < 0) {
      if (errno != EAGAIN) {
        wl_display_cancel_read(display);
        connection_.Lost();
      }
      want |= POLLOUT;  // the socket is full: wait until it takes the rest as well
    }
    timespec timeout{};
    timespec* limit = nullptr;
    if (deadline != kNoDeadline) {
      const auto left = std::max(deadline - Now(), Duration::zero());
      timeout.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
      timeout.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
      limit = &timeout;
    }
    pollfd fds[] = {{wl_display_get_fd(display), want, 0}, {signals_.fd(), POLLIN, 0}};
    if (ppoll(fds, 2, limit, nullptr) < 0 && errno != EINTR) {
      wl_display_cancel_read(display);
      throw PlatformError(std::string("cannot wait for the display: ") + std::strerror(errno));
    }
    if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
      if (wl_display_read_events(display) < 0) {
        connection_.Lost();
      }
    } else {
      wl_display_cancel_read(display);
    }
    if (wl_display_dispatch_pending(display) < 0) {
      connection_.Lost();
    }
    if ((fds[1].revents & POLLIN) != 0 && signals_.Take()) {
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
