// The runtime's one event loop.
//
// Everything runs on one thread. The loop wakes once per display frame and in between blocks
// on the platform, so a close request is handled at once. On each frame it delivers one tick
// to every timer that is due, in design order, each handler running to its end, and then
// paints whatever changed. A timer therefore ticks at most once per frame and every tick's
// effect reaches the screen.
//
// Frames come from an absolute deadline one frame period apart. A display that says when it
// is ready for the next frame (a compositor's frame callback) sets the phase instead: a frame
// follows each of its calls at once (unless it calls back at once whatever it is given: then
// the clock paces). While nobody can see the window (the platform says so, or the display
// stops calling), the loop wakes once a second and runs the ticks of every frame that fell due
// since, one frame apart as if they had been shown, painting nothing; shown again, the first
// frame is exactly where continuous ticking would have got to.
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
  // What one batch of window events asks for.
  struct Batch {
    bool repaint_all = false;
    bool frame_ready = false;
    std::optional<bool> visible;
  };

  // Runs one handler; false when it raised a run-time error, which is then reported.
  bool Dispatch(const Events::Binding& binding);
  // Fires the timers due at `now`; false when a handler failed.
  bool Tick(TimePoint now);
  // Ticks every frame on the clock's rhythm up to `now`, unpainted; false when a handler failed.
  bool CatchUp(TimePoint now);
  void Paint(bool everything);
  // Applies a batch of window events; false once the window is closed.
  bool Handle(const std::vector<WindowEvent>& events, Batch& batch);
  // A step while nobody can see the window, or the one that shows it again.
  std::optional<int> StepUnseen(const Batch& batch, TimePoint now, bool was_unseen);
  // The display called for a frame at `now`: whether to draw it at once; else next_frame_ says
  // when.
  bool FrameOnCall(TimePoint now);
  bool Unseen() const { return !visible_ || silent_; }
  void PaceByClock(bool by_clock);

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
  TimePoint last_frame_{};
  TimePoint next_frame_{};
  // What the current wait was armed for: its deadline, and whether the display was still
  // showing the last frame when it began.
  TimePoint wake_{};
  bool awaiting_display_ = false;
  // Whether the platform says the window can be seen, and whether the display stopped calling
  // back (on Wayland, the one sign that a window is hidden).
  bool visible_ = true;
  bool silent_ = false;
  TimePoint unseen_wake_{};
  // A call that came far sooner than a period after the last frame moved the phase to it (a
  // frame at once); when the next came as soon again, the display does not pace by a rhythm of
  // its own, and the clock does for a while.
  bool moved_phase_ = false;
  bool by_clock_ = false;
  int clock_frames_ = 0;
  ErrorReporter reporter_;
};

}  // namespace rt
