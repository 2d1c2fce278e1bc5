// The event loop: running handlers and handing on their errors, ticking the timers, painting,
// and deciding when each frame comes, by the clock or by the display's calls.
#include "runtime/event_loop.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "runtime/error_box.h"
#include "runtime/run_time_error.h"
#include "runtime/text_engine.h"

namespace rt {

namespace {

// While nobody can see the window, the timers are caught up this often.
constexpr Duration kUnseenWake = std::chrono::seconds(1);
// A display that has not called back this long after a frame is taken not to show the window
// (a compositor calls back only for what it shows); a busy one is waited for until then.
constexpr Duration kSilence = std::chrono::milliseconds(100);
// Frames the clock paces, for a display that calls back at once, before its phase is tried
// again (which costs one early tick): about five seconds.
constexpr int kClockFramesBeforeRetry = 300;

}  // namespace

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
    } else {
      ReportRunTimeError(program_, binding.handler_name, error.what(), backend_, text_, window_);
    }
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

bool EventLoop::CatchUp(TimePoint now) {
  while (next_frame_ <= now) {
    if (!Tick(next_frame_)) {
      return false;
    }
    last_frame_ = next_frame_;
    next_frame_ += period_;
  }
  return true;
}

bool EventLoop::Handle(const std::vector<WindowEvent>& events, Batch& batch) {
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
        batch.repaint_all = true;
        break;
      case WindowEvent::Kind::kScaleChanged:
        // Text is laid out afresh at the new size; twips keep their length.
        text_.SetScale(event.scale);
        form_.Rescale(kTwipsPerPixelAt96Dpi / event.scale, event.size);
        batch.repaint_all = true;
        break;
      case WindowEvent::Kind::kExposed:
        batch.repaint_all = true;
        break;
      case WindowEvent::Kind::kFrameReady:
        batch.frame_ready = true;
        break;
      case WindowEvent::Kind::kVisibilityChanged:
        batch.visible = event.visible;
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
  Batch batch;
  pending_.clear();
  backend_.WaitUntil(backend_.Now(), pending_);
  if (!Handle(pending_, batch)) {
    return 0;
  }
  // The first frame is drawn before the window is shown, so it never appears unpainted.
  Paint(true);
  period_ = backend_.FramePeriod();
  last_frame_ = backend_.Now();
  next_frame_ = last_frame_ + period_;
  visible_ = batch.visible.value_or(true);
  silent_ = false;
  unseen_wake_ = last_frame_ + kUnseenWake;
  moved_phase_ = false;
  clock_frames_ = 0;
  by_clock_ = false;
  return std::nullopt;
}

TimePoint EventLoop::NextWake() {
  if (Unseen()) {
    wake_ = unseen_wake_;
    return wake_;
  }
  // While the display is still showing the last frame, its call paces the next one. One that
  // is a period late is then watched for (a busy compositor) until its silence says the window
  // is hidden.
  awaiting_display_ = !backend_.CanPresent(window_);
  if (!awaiting_display_) {
    wake_ = next_frame_;
    return wake_;
  }
  const TimePoint now = backend_.Now();
  // Paced by the clock, the display's call is read with the next frame.
  wake_ = by_clock_ ? next_frame_ : std::max(next_frame_, last_frame_ + period_) + period_;
  if (wake_ <= now) {
    wake_ = std::max(last_frame_ + kSilence, now);
  }
  return wake_;
}

bool EventLoop::FrameOnCall(TimePoint now) {
  const Duration since = now - last_frame_;
  if (since >= period_ / 2) {
    // The display's own rhythm, whatever its phase: the frame follows its call.
    moved_phase_ = false;
    clock_frames_ = 0;
    return true;
  }
  if (!moved_phase_) {
    // Far sooner than a period: the display repaints on a rhythm of its own and called just
    // after the frame reached it. A frame now reaches its next repaint, and from then on each
    // call comes about a period after the frame before.
    moved_phase_ = true;
    return true;
  }
  // As soon again after moving the phase: this display calls back whenever it is given a
  // frame, and the clock paces, trying the display's phase again now and then.
  next_frame_ = last_frame_ + period_;
  PaceByClock(true);
  return false;
}

void EventLoop::PaceByClock(bool by_clock) {
  if (by_clock != by_clock_) {
    by_clock_ = by_clock;
    clock_frames_ = 0;
    backend_.PaceByClock(window_, by_clock);
  }
}

std::optional<int> EventLoop::StepUnseen(const Batch& batch, TimePoint now, bool was_unseen) {
  if (!CatchUp(now)) {
    return 1;
  }
  if (Unseen()) {
    if (!was_unseen || now >= unseen_wake_) {
      unseen_wake_ = now + kUnseenWake;
    }
    repaint_all_pending_ = repaint_all_pending_ || batch.repaint_all;
    return std::nullopt;
  }
  // Seen again: this frame shows where the ticks have got to, and frames go on from here.
  Paint(true);
  last_frame_ = now;
  awaiting_display_ = false;
  moved_phase_ = false;
  clock_frames_ = 0;
  return std::nullopt;
}

std::optional<int> EventLoop::Step(const std::vector<WindowEvent>& events) {
  Batch batch;
  if (!Handle(events, batch)) {
    return 0;
  }
  const TimePoint now = backend_.Now();
  const bool was_unseen = Unseen();
  if (batch.visible) {
    visible_ = *batch.visible;
  }
  if (batch.frame_ready) {
    silent_ = false;  // a display that calls back shows the window
  } else if (!was_unseen && awaiting_display_ && now >= last_frame_ + kSilence) {
    silent_ = true;
  }
  if (was_unseen || Unseen()) {
    return StepUnseen(batch, now, was_unseen);
  }
  bool frame = false;
  bool called = false;
  if (batch.frame_ready && awaiting_display_) {
    awaiting_display_ = false;
    frame = called = !by_clock_ && FrameOnCall(now);
  }
  if (!frame && now >= wake_ && !awaiting_display_) {
    frame = true;
    if (by_clock_ && ++clock_frames_ >= kClockFramesBeforeRetry) {
      moved_phase_ = false;  // the display's phase is tried again at its next call
      PaceByClock(false);
    }
  }
  if (!frame) {
    if (batch.repaint_all) {
      Paint(true);
    }
    return std::nullopt;
  }
  if (!Tick(now)) {
    return 1;
  }
  Paint(batch.repaint_all);
  // The clock's rhythm is kept without drift; a frame the display called for starts afresh.
  next_frame_ = called ? now + period_ : next_frame_ + period_;
  if (next_frame_ <= now) {
    next_frame_ = now + period_;
  }
  last_frame_ = now;
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
