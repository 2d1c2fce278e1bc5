// The timer a Windows backend waits on for its next frame: a waitable timer that wakes the
// loop's one wait (MsgWaitForMultipleObjectsEx) at a deadline, to the tenth of a millisecond
// where the system offers high-resolution timers (Windows 10 1803 on), to the system's tick
// (about 15.6 ms) where it refuses them.
#pragma once

#include <windows.h>

#include <optional>

#include "runtime/clock.h"

namespace rt::windows {

class FrameTimer {
 public:
  // Throws PlatformError when the system gives no timer at all.
  FrameTimer();
  ~FrameTimer();
  FrameTimer(const FrameTimer&) = delete;
  FrameTimer& operator=(const FrameTimer&) = delete;

  HANDLE handle() const { return timer_; }
  bool high_resolution() const { return high_resolution_; }
  // Signals the timer once at `deadline`, `delay` from now (at once when it is not positive).
  // A timer already set for that deadline and not yet fired is left as it is, which saves a
  // call to the system when a message cut a wait short.
  void ArmFor(TimePoint deadline, Duration delay);
  // Tells the timer that a wait saw it fire (it then rests until armed again).
  void Fired() { armed_for_.reset(); }

 private:
  HANDLE timer_ = nullptr;
  bool high_resolution_ = false;
  std::optional<TimePoint> armed_for_;
};

}  // namespace rt::windows
