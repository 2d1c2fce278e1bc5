// The timer a Windows backend waits on for its next frame: a waitable timer that wakes the
// loop's one wait (MsgWaitForMultipleObjectsEx) at a deadline, to the tenth of a millisecond
// where the system offers high-resolution timers (Windows 10 1803 on), to the system's tick
// (about 15.6 ms) where it refuses them.
#pragma once

#include <windows.h>

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
  // Signals the timer once `delay` from now (at once when it is not positive).
  void Arm(Duration delay);

 private:
  HANDLE timer_ = nullptr;
  bool high_resolution_ = false;
};

}  // namespace rt::windows
