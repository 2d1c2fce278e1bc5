// The seam between the runtime and a platform.
//
// Everything the runtime needs from the outside world passes through here: the monotonic
// clock, a window and its pixels, presenting what changed, waiting for the next frame while
// listening for window events, and showing an error box. The real display backend (sdl/) and
// the headless one (headless/) implement it; nothing above this seam knows which one runs.
#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/clock.h"
#include "runtime/icon.h"
#include "runtime/types.h"

struct SDL_Surface;

namespace rt {

// The platform failed in a way the program cannot go on from (no display, no usable font,
// the display connection lost). Ends the program with status 2.
class PlatformError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct WindowSpec {
  std::string title;  // UTF-8
  PixelSize client;
  bool border = false;
  Color back_color;
  IconImage icon;  // empty for none
};

struct WindowEvent {
  enum class Kind { kCloseRequested, kResized, kExposed };
  Kind kind = Kind::kCloseRequested;
  PixelSize size;  // for kResized: the new client size
};

class Backend : public Clock {
 public:
  // How long one display frame lasts.
  virtual Duration FramePeriod() const = 0;
  // Pixels per pixel at 96 DPI: 1 on an ordinary display, 2 on a doubled one. Twips keep
  // their physical size, so the window and its text grow by this much.
  virtual float Scale() const = 0;
  // Creates the window, still hidden.
  virtual void OpenWindow(const WindowSpec& window) = 0;
  // The window's pixels, 32-bit XRGB, sized to its client area.
  virtual SDL_Surface* Surface() = 0;
  // Shows the given regions of Surface(); the first call also shows the window.
  virtual void Present(std::span<const PixelRect> damage) = 0;
  // Returns once `deadline` has passed or window events have arrived (appended to `events`).
  virtual void WaitUntil(TimePoint deadline, std::vector<WindowEvent>& events) = 0;
  // Shows a modal error box over the window and returns once it is dismissed.
  virtual void ShowError(const std::string& title, const std::string& message) = 0;
};

}  // namespace rt
