// The runtime's one event loop.
//
// Everything runs on one thread. The loop wakes once per display frame and in between blocks
// on the platform, so a close request is handled at once. On each frame it delivers one tick
// to every timer that is due, in design order, each handler running to its end, and then
// paints whatever changed. A timer therefore ticks at most once per frame and every tick's
// effect reaches the screen.
//
// Frames come from an absolute deadline one frame period apart. A display that says when it
// has shown a frame sets the pace instead: the next frame follows its call, and while it does
// not call (the window is hidden) the deadline takes over again, so the count goes on at one
// tick per period with nothing painted.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/backend.h"
#include "runtime/form_code.h"
#include "runtime/painter.h"

namespace rt {

class TextEngine;

class EventLoop {
 public:
  // Runs `form`, shown in `window`, whose text is drawn by `text`.
  EventLoop(std::string program, Backend& backend, Form& form, const Events& events,
            TextEngine& text, WindowId window);

  // Raises Load, shows the window with its first frame and runs until the window is closed
  // (returns 0) or a handler raises a run-time error (reports it, returns 1).
  int Run();

  // The same loop turned inside out, for a platform that calls the program for each frame
  // and never lets it block (the browser). Start raises Load and presents the first frame;
  // then, before each wait, the caller asks NextWake when to wake, waits until then (or until
  // events arrive) and hands that wait's events to Step. Start and Step return the exit
  // status once the program has ended.
  std::optional<int> Start();
  TimePoint NextWake();
  std::optional<int> Step(const std::vector<WindowEvent>& events);

  // Who reports a handler's run-time error. Unset, ReportRunTimeError does, waiting in its box
  // until it is dismissed; a page, which cannot wait, shows the box once the loop has ended.
  using ErrorReporter = std::function<void(const std::string& handler, const std::string& what)>;
  void SetErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }

 private:
  // Runs one handler; false when it raised a run-time error, which is then reported.
  bool Dispatch(const Events::Binding& binding);
  // Fires the due timers; false when a handler failed.
  bool Tick(TimePoint now);
  void Paint(bool everything);
  // Applies a batch of window events; false once the window is closed.
  bool Handle(const std::vector<WindowEvent>& events, bool& repaint_all, bool& frame_ready);

  std::string program_;
  Backend& backend_;
  Form& form_;
  const Events& events_;
  TextEngine& text_;
  WindowId window_;
  Painter painter_;
  bool repaint_all_pending_ = false;
  std::vector<WindowEvent> pending_;
  Duration period_{};
  TimePoint next_frame_{};
  // Whether the display stopped answering (the window is hidden): ticks then go by the clock.
  bool display_silent_ = false;
  // What the current wait was armed for: its deadline, and whether the display was still
  // showing the last frame when it began.
  TimePoint wake_{};
  bool awaiting_display_ = false;
  ErrorReporter reporter_;
};

// Prints one run-time error report's line to stderr; returns the message it said.
std::string PrintRunTimeError(const std::string& program, const std::string& handler,
                              const std::string& what);

// Prints one run-time error report to stderr, then shows it in a box over `parent` (through
// `backend`) and returns once the box is dismissed.
void ReportRunTimeError(const std::string& program, const std::string& handler,
                        const std::string& what, Backend& backend, TextEngine& text,
                        WindowId parent);

}  // namespace rt
