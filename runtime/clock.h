// Monotonic time as the runtime sees it: real on a display, virtual in the headless backend.
#pragma once

#include <chrono>

namespace rt {

using Duration = std::chrono::nanoseconds;

// Time since the clock's own epoch (for a real display, some moment before start-up).
using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual TimePoint Now() const = 0;
};

}  // namespace rt
