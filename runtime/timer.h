// Timer: raises its Timer event every Interval milliseconds while enabled.
//
// Due times are deadlines on the runtime's monotonic clock. After a tick the next one is due
// one Interval after the previous due time, so the rhythm never drifts; if that moment has
// already passed (the loop fell behind), it is due one Interval from now instead, so a stall
// never turns into a burst of catch-up ticks. The event loop delivers ticks only between
// frames, so a timer ticks at most once per frame.
#pragma once

#include <string>

#include "runtime/clock.h"
#include "runtime/design.h"

namespace rt {

class Form;

class Timer {
 public:
  Timer(const Form& owner, const TimerDesign& design, const Clock& clock);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  const std::string& Name() const { return name_; }

  // Property calls raise a run-time error naming the timer and member when they fail (a
  // negative interval, or a timer whose form is unloaded).
  bool Enabled() const;
  // Enabling a disabled timer starts a fresh Interval from now.
  void SetEnabled(bool enabled);
  int Interval() const;
  // A new interval starts a fresh count from now. An interval of 0 never ticks.
  void SetInterval(int milliseconds);

  // For the event loop: whether a tick is due at `now`, and taking that tick.
  bool IsDue(TimePoint now) const;
  void TakeTick(TimePoint now);
  TimePoint DueTime() const { return due_; }

 private:
  void CheckLoaded(const char* member) const;
  Duration Period() const;

  const Form& owner_;
  const Clock& clock_;
  std::string name_;
  int interval_ms_;
  bool enabled_ = false;
  TimePoint due_{};
};

}  // namespace rt
