// The seam between the runtime and a platform.
//
// Everything the runtime needs from the outside world passes through here: the monotonic
// clock, windows and their pixels, presenting what changed, and waiting for the next frame
// while listening for window events. The real display backends and the headless one implement
// it; nothing above this seam knows which one runs, and no platform type crosses it.
#pragma once

#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/clock.h"
#include "runtime/icon.h"
#include "runtime/pixel_buffer.h"
#include "runtime/types.h"

namespace rt {

// The platform failed in a way the program cannot go on from (no display, no usable font,
// the display connection lost). Ends the program with status 2.
class PlatformError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A window, as numbered by the backend that opened it.
using WindowId = int;
inline constexpr WindowId kNoWindow = -1;

// Waiting with this deadline waits for events alone.
inline constexpr TimePoint kNoDeadline = TimePoint::max();

struct WindowSpec {
  enum class Role {
    kMain,    // a form: takes no input
    kDialog,  // a box over `parent`, answering keys and clicks
  };
  std::string title{};  // UTF-8
  PixelSize client{};   // in device pixels, at Scale()
  bool border = false;
  Color back_color{};
  IconImage icon{};  // empty for none
  Role role = Role::kMain;
  WindowId parent = kNoWindow;
  // What the window says, in words: for assistive technology and for tests.
  std::string text{};
};

// The keys a dialog answers; every other key is kOther.
enum class Key { kOther, kEnter, kEscape, kSpace };

struct WindowEvent {
  enum class Kind {
    kCloseRequested,     // the window-close command, or the process was asked to end
    kResized,            // `size`: the new client size in device pixels
    kExposed,            // what was shown is gone and must be presented again
    kFrameReady,         // the display is ready for another frame
    kScaleChanged,       // `scale`: the window now shows at a new scale; `size` as for kResized
    kKeyPressed,         // `key`, on a dialog
    kButtonPressed,      // `point`, on a dialog
    kButtonReleased,     // `point`, on a dialog
    kVisibilityChanged,  // `visible`: whether anyone can see the window now (not minimised,
                         // covered, on a locked screen or in a hidden tab)
  };
  Kind kind = Kind::kCloseRequested;
  WindowId window = kNoWindow;
  PixelSize size{};
  float scale = 1.0F;
  Key key = Key::kOther;
  PixelPoint point{};
  bool visible = true;
};

class Backend : public Clock {
 public:
  // How long one display frame lasts.
  virtual Duration FramePeriod() const = 0;
  // Pixels per pixel at 96 DPI: 1 on an ordinary display, 2 on a doubled one. Twips keep
  // their physical size, so windows and their text grow by this much.
  virtual float Scale() const = 0;
  // Creates a window, still hidden.
  virtual WindowId OpenWindow(const WindowSpec& window) = 0;
  virtual void CloseWindow(WindowId window) = 0;
  // Whether a frame can be drawn now: the display has taken the previous one and a buffer is
  // free. When it cannot, drawing waits for a kFrameReady event.
  virtual bool CanPresent(WindowId window) const = 0;
  // The buffer to draw the next frame into, holding the frame presented last; valid until
  // Present. Only when CanPresent.
  virtual PixelBuffer Buffer(WindowId window) = 0;
  // Shows the given regions of the buffer; the first call also shows the window.
  virtual void Present(WindowId window, std::span<const PixelRect> damage) = 0;
  // The display calls back whenever `window` is given a frame, not on a rhythm of its own, so
  // the loop paces it by the clock and takes the display's call with its next frame: the
  // backend need not wake for that call before the deadline. Until told otherwise.
  virtual void PaceByClock(WindowId /*window*/, bool /*by_clock*/) {}
  // Returns once `deadline` has passed or events have arrived (appended to `events`).
  virtual void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) = 0;
  // Tells the user, after its line on stderr, of a failure the program cannot go on from,
  // where nobody may see stderr (a program started from the Start menu on Windows has no
  // console); returns once it has been read. Where stderr is enough, it does nothing.
  virtual void ShowFailure(const std::string& /*title*/, const std::string& /*message*/) {}
};

}  // namespace rt
