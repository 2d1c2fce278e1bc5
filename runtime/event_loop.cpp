#include "runtime/event_loop.h"

#include <cstdio>
#include <utility>

#include "runtime/run_time_error.h"

namespace rt {

void ReportRunTimeError(const std::string& program, const std::string& handler,
                        const std::string& what, Backend& backend) {
  const std::string message = "run-time error in " + handler + ": " + what;
  std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
  std::fflush(stderr);
  backend.ShowError(program, message);
}

EventLoop::EventLoop(std::string program, Backend& backend, Form& form, const Events& events,
                     Painter& painter)
    : program_(std::move(program)),
      backend_(backend),
      form_(form),
      events_(events),
      painter_(painter) {}

bool EventLoop::Dispatch(const Events::Binding& binding) {
  try {
    binding.run();
    return true;
  } catch (const RunTimeError& error) {
    ReportRunTimeError(program_, binding.handler_name, error.what(), backend_);
    return false;
  }
}

bool EventLoop::Tick(TimePoint now) {
  for (const auto& timer : form_.Timers()) {
    if (!timer->IsDue(now)) {
      continue;
    }
    timer->TakeTick(now);
    if (const Events::Binding* binding = events_.ForTimer(*timer)) {
      if (!Dispatch(*binding)) {
        return false;
      }
    }
  }
  return true;
}

void EventLoop::Paint(bool everything) {
  if (!form_.TakeInvalidated() && !everything) {
    return;
  }
  backend_.Present(painter_.Paint(form_, backend_.Surface(), everything));
}

int EventLoop::Run() {
  if (const Events::Binding* load = events_.Load()) {
    if (!Dispatch(*load)) {
      return 1;
    }
  }
  // The first frame is drawn before the window is shown, so it never appears unpainted.
  Paint(true);
  const Duration period = backend_.FramePeriod();
  TimePoint next_frame = backend_.Now() + period;
  for (;;) {
    pending_.clear();
    backend_.WaitUntil(next_frame, pending_);
    bool repaint_all = false;
    for (const WindowEvent& event : pending_) {
      switch (event.kind) {
        case WindowEvent::Kind::kCloseRequested:
          form_.Unload();
          return 0;
        case WindowEvent::Kind::kResized:
          form_.WindowResized(event.size);
          repaint_all = true;
          break;
        case WindowEvent::Kind::kExposed:
          repaint_all = true;
          break;
      }
    }
    const TimePoint now = backend_.Now();
    if (now < next_frame) {
      if (repaint_all) {
        Paint(true);
      }
      continue;
    }
    if (!Tick(now)) {
      return 1;
    }
    Paint(repaint_all);
    next_frame += period;
    if (next_frame <= now) {
      next_frame = now + period;
    }
  }
}

}  // namespace rt
