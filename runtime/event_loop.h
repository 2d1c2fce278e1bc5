// The runtime's one event loop.
//
// Everything runs on one thread. The loop wakes once per display frame on an absolute
// deadline, and in between it blocks on the platform, so a close request is handled at once.
// On each frame it delivers one tick to every timer that is due, in design order, each handler
// running to its end, and then paints whatever changed. A timer therefore ticks at most once
// per frame and every tick's effect reaches the screen.
#pragma once

#include <string>
#include <vector>

#include "runtime/backend.h"
#include "runtime/form_code.h"
#include "runtime/painter.h"

namespace rt {

class EventLoop {
 public:
  EventLoop(std::string program, Backend& backend, Form& form, const Events& events,
            Painter& painter);

  // Raises Load, shows the window with its first frame and runs until the window is closed
  // (returns 0) or a handler raises a run-time error (reports it, returns 1).
  int Run();

 private:
  // Runs one handler; false when it raised a run-time error, which is then reported.
  bool Dispatch(const Events::Binding& binding);
  // Fires the due timers; false when a handler failed.
  bool Tick(TimePoint now);
  void Paint(bool everything);

  std::string program_;
  Backend& backend_;
  Form& form_;
  const Events& events_;
  Painter& painter_;
  std::vector<WindowEvent> pending_;
};

// Formats, prints to stderr and shows (through `backend`) one run-time error report.
void ReportRunTimeError(const std::string& program, const std::string& handler,
                        const std::string& what, Backend& backend);

}  // namespace rt
