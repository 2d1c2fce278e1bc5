#include "runtime/x11/x11_backend.h"

#include <xcb/shm.h>

#include <cstdlib>
#include <vector>

#include "runtime/native/display_wait.h"
#include "runtime/native/signal_watch.h"
#include "runtime/native/window_list.h"
#include "runtime/x11/connection.h"
#include "runtime/x11/window.h"

namespace rt {

namespace {

using x11::Connection;
using x11::Window;

constexpr int kFallbackRefreshMilliHz = 60'000;

// The keysyms the error box answers (X11/keysymdef.h).
constexpr xcb_keysym_t kReturn = 0xff0d;
constexpr xcb_keysym_t kKeypadEnter = 0xff8d;
constexpr xcb_keysym_t kEscape = 0xff1b;
constexpr xcb_keysym_t kSpace = 0x0020;

class X11Backend final : public BackendOfWindows<Window> {
 public:
  X11Backend() = default;
  ~X11Backend() override { windows_.Clear(); }
  X11Backend(const X11Backend&) = delete;
  X11Backend& operator=(const X11Backend&) = delete;

  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
  Duration FramePeriod() const override {
    const int mhz =
        connection_.RefreshMilliHz() > 0 ? connection_.RefreshMilliHz() : kFallbackRefreshMilliHz;
    return Duration(1'000'000'000'000LL / mhz);
  }
  float Scale() const override { return connection_.Scale(); }

  WindowId OpenWindow(const WindowSpec& wanted) override {
    return windows_.Add(std::make_unique<Window>(connection_, windows_.NextId(), wanted,
                                                 windows_.Find(wanted.parent), queue_));
  }
  void CloseWindow(WindowId window) override { windows_.Remove(window); }
  void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) override;

 private:
  // Whether the socket may be left unwatched until `deadline`, to be read then.
  bool MayLeaveUnwatched(TimePoint now, TimePoint deadline) const;
  // Handles the events read already, after reading the socket once more when `read`.
  void TakeEvents(bool read);
  Window* WindowOf(xcb_window_t xid) const {
    return windows_.FindIf([xid](const Window& window) { return window.xid() == xid; });
  }
  void Handle(const xcb_generic_event_t& event);
  // Tells the loop when whether `window` can be seen has `changed`.
  void Seen(const Window& window, bool changed) {
    if (changed) {
      queue_.push_back({.kind = WindowEvent::Kind::kVisibilityChanged,
                        .window = window.id(),
                        .visible = window.visibility().Seen()});
    }
  }

  Connection connection_;
  std::uint8_t completion_event_ =
      connection_.HasSharedMemory()
          ? xcb_get_extension_data(connection_.get(), &xcb_shm_id)->first_event + XCB_SHM_COMPLETION
          : 0;
  SignalWatch signals_;
  // Events heard while reading the connection; handed over at the end of each wait.
  std::vector<WindowEvent> queue_;
};

void X11Backend::Handle(const xcb_generic_event_t& event) {
  // The top bit only says the event was sent by another client (a window manager's close).
  const std::uint8_t type = event.response_type & 0x7F;
  if (completion_event_ != 0 && type == completion_event_) {
    const auto& done = reinterpret_cast<const xcb_shm_completion_event_t&>(event);
    if (Window* window = WindowOf(done.drawable)) {
      window->Completed(done.shmseg, done.offset);
    }
    return;
  }
  switch (type) {
    case XCB_EXPOSE: {
      const auto& expose = reinterpret_cast<const xcb_expose_event_t&>(event);
      if (Window* window = WindowOf(expose.window)) {
        window->Exposed({expose.x, expose.y, expose.width, expose.height});
      }
      break;
    }
    case XCB_CONFIGURE_NOTIFY: {
      const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
      if (Window* window = WindowOf(configure.window)) {
        window->Configured(configure.width, configure.height);
      }
      break;
    }
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY: {
      // Both start with the window the news is about, right after the event window.
      const auto& map = reinterpret_cast<const xcb_map_notify_event_t&>(event);
      if (Window* window = WindowOf(map.window)) {
        Seen(*window, window->visibility().Mapped(type == XCB_MAP_NOTIFY));
      }
      break;
    }
    case XCB_VISIBILITY_NOTIFY: {
      const auto& visibility = reinterpret_cast<const xcb_visibility_notify_event_t&>(event);
      if (Window* window = WindowOf(visibility.window)) {
        Seen(*window,
             window->visibility().FullyObscured(visibility.state == XCB_VISIBILITY_FULLY_OBSCURED));
      }
      break;
    }
    case XCB_PROPERTY_NOTIFY: {
      const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
      if (Window* window = WindowOf(property.window)) {
        Seen(*window,
             window->visibility().PropertyChanged(connection_, property.window, property.atom));
      }
      break;
    }
    case XCB_CLIENT_MESSAGE: {
      const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
      const Window* window = WindowOf(message.window);
      if (window && message.type == connection_.atoms().wm_protocols && message.format == 32 &&
          message.data.data32[0] == connection_.atoms().wm_delete_window) {
        queue_.push_back({.kind = WindowEvent::Kind::kCloseRequested, .window = window->id()});
      }
      break;
    }
    case XCB_KEY_PRESS: {
      const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
      const Window* window = WindowOf(key.event);
      if (!window || !window->AnswersInput()) {
        break;
      }
      const xcb_keysym_t symbol = connection_.KeysymOf(key.detail);
      rt::Key pressed = rt::Key::kOther;
      if (symbol == kReturn || symbol == kKeypadEnter) {
        pressed = rt::Key::kEnter;
      } else if (symbol == kEscape) {
        pressed = rt::Key::kEscape;
      } else if (symbol == kSpace) {
        pressed = rt::Key::kSpace;
      }
      queue_.push_back(
          {.kind = WindowEvent::Kind::kKeyPressed, .window = window->id(), .key = pressed});
      break;
    }
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE: {
      const auto& button = reinterpret_cast<const xcb_button_press_event_t&>(event);
      const Window* window = WindowOf(button.event);
      if (window && window->AnswersInput() && button.detail == XCB_BUTTON_INDEX_1) {
        queue_.push_back({.kind = type == XCB_BUTTON_PRESS ? WindowEvent::Kind::kButtonPressed
                                                           : WindowEvent::Kind::kButtonReleased,
                          .window = window->id(),
                          .point = {button.event_x, button.event_y}});
      }
      break;
    }
    default:
      break;  // errors for requests we did not check, and events we did not ask for
  }
}

bool X11Backend::MayLeaveUnwatched(TimePoint now, TimePoint deadline) const {
  if (deadline == kNoDeadline || deadline - now > kLongestUnwatchedWait) {
    return false;  // not animating: a dialog waits for its answer, and hears it at once
  }
  // A window whose buffers the server still reads all needs the completion to draw again.
  bool all_free = true;
  windows_.ForEach(
      [&all_free](const Window& window) { all_free = all_free && window.CanPresent(); });
  return all_free;
}

void X11Backend::TakeEvents(bool read) {
  xcb_connection_t* c = connection_.get();
  // One read at most: what it brings is queued, and taken without reading again.
  xcb_generic_event_t* event = read ? xcb_poll_for_event(c) : xcb_poll_for_queued_event(c);
  while (event) {
    Handle(*event);
    std::free(event);
    event = xcb_poll_for_queued_event(c);
  }
  connection_.CheckAlive();
}

void X11Backend::WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) {
  xcb_connection_t* c = connection_.get();
  // The one wait: the server's socket and the signals, until the deadline. While the form
  // animates, the socket is read at each frame's deadline only: the completion of the frame
  // just sent, an exposure or the close command wait for it, at most a frame, and a frame costs
  // one wake-up and one read.
  TakeEvents(false);
  while (queue_.empty()) {
    if (xcb_flush(c) <= 0) {
      connection_.CheckAlive();
    }
    const int fd = MayLeaveUnwatched(Now(), deadline) ? -1 : xcb_get_file_descriptor(c);
    // Returns at once when the deadline has passed already: the socket is still read once.
    if (WaitForDisplay(fd, false, signals_, deadline).signalled) {
      queue_.push_back({.kind = WindowEvent::Kind::kCloseRequested, .window = kNoWindow});
    }
    TakeEvents(true);
    if (Now() >= deadline) {
      break;
    }
  }
  xcb_flush(c);
  events.insert(events.end(), queue_.begin(), queue_.end());
  queue_.clear();
}

}  // namespace

std::unique_ptr<Backend> MakeX11Backend() {
  return std::make_unique<X11Backend>();
}

}  // namespace rt
