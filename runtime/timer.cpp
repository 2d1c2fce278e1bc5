#include "runtime/timer.h"

#include "runtime/form.h"
#include "runtime/run_time_error.h"

namespace rt {

Timer::Timer(const Form& owner, const TimerDesign& design, const Clock& clock)
    : owner_(owner), clock_(clock), name_(design.name), interval_ms_(design.interval_ms) {
  if (interval_ms_ < 0) {
    interval_ms_ = 0;
  }
  SetEnabled(design.enabled);
}

void Timer::CheckLoaded(const char* member) const {
  if (!owner_.IsLoaded()) {
    RaisePropertyError(name_, member, "the form is unloaded");
  }
}

Duration Timer::Period() const {
  return std::chrono::milliseconds(interval_ms_);
}

bool Timer::Enabled() const {
  CheckLoaded("Enabled");
  return enabled_;
}

void Timer::SetEnabled(bool enabled) {
  CheckLoaded("Enabled");
  if (enabled && !enabled_) {
    due_ = clock_.Now() + Period();
  }
  enabled_ = enabled;
}

int Timer::Interval() const {
  CheckLoaded("Interval");
  return interval_ms_;
}

void Timer::SetInterval(int milliseconds) {
  CheckLoaded("Interval");
  if (milliseconds < 0) {
    RaisePropertyError(name_, "Interval", "invalid value");
  }
  interval_ms_ = milliseconds;
  due_ = clock_.Now() + Period();
}

bool Timer::IsDue(TimePoint now) const {
  return enabled_ && interval_ms_ > 0 && now >= due_ && owner_.IsLoaded();
}

void Timer::TakeTick(TimePoint now) {
  due_ += Period();
  if (due_ <= now) {
    due_ = now + Period();
  }
}

}  // namespace rt
