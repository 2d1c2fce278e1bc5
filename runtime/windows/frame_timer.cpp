#include "runtime/windows/frame_timer.h"

#include <algorithm>

#include "runtime/backend.h"

namespace rt::windows {

namespace {

// From newer SDKs' synchapi.h.
constexpr DWORD kHighResolution = 0x00000002;

}  // namespace

FrameTimer::FrameTimer()
    : timer_(CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS)),
      high_resolution_(timer_ != nullptr) {
  if (!timer_) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  }
  if (!timer_) {
    throw PlatformError("cannot make a timer for the frames (error " +
                        std::to_string(GetLastError()) + ")");
  }
}

FrameTimer::~FrameTimer() {
  CloseHandle(timer_);
}

void FrameTimer::ArmFor(TimePoint deadline, Duration delay) {
  if (armed_for_ == deadline) {
    return;
  }
  armed_for_ = deadline;
  // Negative: relative to now, in units of 100 ns; rounded up, so it never fires early.
  const long long units = (std::max(delay, Duration::zero()).count() + 99) / 100;
  LARGE_INTEGER due;
  due.QuadPart = -std::max(units, 1LL);
  SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE);
}

}  // namespace rt::windows
