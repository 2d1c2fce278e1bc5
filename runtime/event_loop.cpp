#include "runtime/event_loop.h"

#include <cstdio>
#include <utility>

#include "runtime/error_box.h"
#include "runtime/run_time_error.h"
#include "runtime/text_engine.h"

namespace rt {

std::string PrintRunTimeError(const std::string& program, const std::string& handler,
                              const std::string& what) {
  std::string message = "run-time error in " + handler + ": " + what;
  std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
  std::fflush(stderr);
  return message;
}

void ReportRunTimeError(const std::string& program, const std::string& handler,
                        const std::string& what, Backend& backend, TextEngine& text,
                        WindowId parent) {
  ShowErrorBox(backend, text, parent, program, PrintRunTimeError(program, handler, what));
}

EventLoop::EventLoop(std::string program, Backend& backend, Form& form, const Events& events,
                     TextEngine& text, WindowId window)
    : program_(std::move(program)),
      backend_(backend),
      form_(form),
      events_(events),
      text_(text),
      window_(window),
      painter_(text) {}

bool EventLoop::Dispatch(const Events::Binding& binding) {
  try {
    binding.run();
    return true;
  } catch (const RunTimeError& error) {
    if (reporter_) {
      reporter_(binding.handler_name, error.what());
      return false;
    }
    ReportRunTimeError(program_, binding.handler_name, error.what(), backend_, text_, window_);
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
  everything = everything || repaint_all_pending_;
  if (!backend_.CanPresent(window_)) {
    // The changes stay pending (the form stays invalidated) until the display is ready.
    repaint_all_pending_ = everything;
    return;
  }
  repaint_all_pending_ = false;
  if (!form_.TakeInvalidated() && !everything) {
    return;
  }
  backend_.Present(window_, painter_.Paint(form_, backend_.Buffer(window_), everything));
}

bool EventLoop::Handle(const std::vector<WindowEvent>& events, bool& repaint_all,
                       bool& frame_ready) {
  for (const WindowEvent& event : events) {
    if (event.window != window_ && event.window != kNoWindow) {
      continue;
    }
    switch (event.kind) {
      case WindowEvent::Kind::kCloseRequested:
        form_.Unload();
        return false;
      case WindowEvent::Kind::kResized:
        form_.WindowResized(event.size);
        repaint_all = true;
        break;
      case WindowEvent::Kind::kScaleChanged:
        // Text is laid out afresh at the new size; twips keep their length.
        text_.SetScale(event.scale);
        form_.Rescale(kTwipsPerPixelAt96Dpi / event.scale, event.size);
        repaint_all = true;
        break;
      case WindowEvent::Kind::kExposed:
        repaint_all = true;
        break;
      case WindowEvent::Kind::kFrameReady:
        frame_ready = true;
        break;
      default:
        break;  // a form takes no input
    }
  }
  return true;
}

std::optional<int> EventLoop::Start() {
  if (const Events::Binding* load = events_.Load()) {
    if (!Dispatch(*load)) {
      return 1;
    }
  }
  // Whatever the display has said already (the scale it shows the window at, say) applies
  // before the first frame.
  bool repaint_all = false;
  bool frame_ready = false;
  pending_.clear();
  backend_.WaitUntil(backend_.Now(), pending_);
  if (!Handle(pending_, repaint_all, frame_ready)) {
    return 0;
  }
  // The first frame is drawn before the window is shown, so it never appears unpainted.
  Paint(true);
  period_ = backend_.FramePeriod();
  next_frame_ = backend_.Now() + period_;
  display_silent_ = false;
  return std::nullopt;
}

TimePoint EventLoop::NextWake() {
  // While the display is still showing the last frame, its call back paces the next one;
  // it gets one period more than the clock would before the clock takes over.
  awaiting_display_ = !backend_.CanPresent(window_);
  wake_ = awaiting_display_ && !display_silent_ ? next_frame_ + period_ : next_frame_;
  return wake_;
}

std::optional<int> EventLoop::Step(const std::vector<WindowEvent>& events) {
  bool repaint_all = false;
  bool frame_ready = false;
  if (!Handle(events, repaint_all, frame_ready)) {
    return 0;
  }
  const TimePoint now = backend_.Now();
  bool frame = false;
  if (frame_ready) {
    display_silent_ = false;
    // A display that calls back far sooner than a frame period does not set the pace.
    frame = now >= next_frame_ - period_ / 2;
    if (!frame) {
      Paint(repaint_all);
      return std::nullopt;
    }
  } else if (now >= wake_) {
    frame = true;
    display_silent_ = awaiting_display_;
  }
  if (!frame) {
    if (repaint_all) {
      Paint(true);
    }
    return std::nullopt;
  }
  if (!Tick(now)) {
    return 1;
  }
  Paint(repaint_all);
  // The clock's rhythm is kept without drift; a frame the display called for starts afresh.
  next_frame_ = frame_ready ? now + period_ : next_frame_ + period_;
  if (next_frame_ <= now) {
    next_frame_ = now + period_;
  }
  return std::nullopt;
}

int EventLoop::Run() {
  if (const std::optional<int> status = Start()) {
    return *status;
  }
  for (;;) {
    pending_.clear();
    backend_.WaitUntil(NextWake(), pending_);
    if (const std::optional<int> status = Step(pending_)) {
      return *status;
    }
  }
}

}  // namespace rt
