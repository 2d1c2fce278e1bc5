#include "runtime/wayland/frame_forecast.h"

#include <algorithm>
#include <chrono>

namespace rt::wayland {

namespace {

using namespace std::chrono_literals;

// The longest stretch of callbacks between two early looks: about half a second at 60 Hz. After
// a surprise the forecast looks early at the next callback, and doubles the stretch each time
// it is borne out, so a wrong period is found before it can drift far.
constexpr int kLongestStretch = 30;
// The period is the mean over about this many callbacks, measured between exact sightings: long
// enough that a compositor's jitter averages out, short enough to follow a change of rate.
constexpr int kCallbacksRemembered = 60;
// A period far from the one believed (half or one and a half times it, or further) may be a
// hidden window or a missed repaint; it is believed once it has been seen this often in a row.
constexpr int kOutlierToBelieve = 3;

}  // namespace

FrameForecast::FrameForecast(Duration nominal_period)
    : period_(nominal_period > Duration::zero() ? nominal_period
                                                : std::chrono::duration_cast<Duration>(1s) / 60),
      jitter_room_(period_ / 4) {}

TimePoint FrameForecast::Due() const {
  return *anchor_ + period_ * (since_anchor_ + 1);
}

Duration FrameForecast::Margin() const {
  return std::clamp(jitter_room_, period_ / 64, period_ / 4);
}

std::optional<TimePoint> FrameForecast::LookAt(TimePoint now) const {
  if (!awaiting_ || !anchor_ || watch_next_) {
    return std::nullopt;
  }
  // After the due time by the margin the compositor's jitter needs (up to a quarter period on a
  // busy machine, still long before the commit that follows must reach the next repaint): the
  // frame then follows each callback at the same delay, so frames keep a steady period. An
  // early look comes a quarter period before, to be watching when the callback comes.
  const TimePoint look = since_anchor_ + 1 >= stretch_ ? Due() - period_ / 4 : Due() + Margin();
  if (look <= now) {
    return std::nullopt;  // looked already, or it is overdue
  }
  return look;
}

std::optional<TimePoint> FrameForecast::SteadyReadAt() const {
  if (!awaiting_ || !anchor_) {
    return std::nullopt;
  }
  return Due() + Margin();
}

void FrameForecast::CalledBack(TimePoint now, bool watched) {
  awaiting_ = false;
  if (!anchor_) {
    if (watched) {
      anchor_ = now;
    }
    return;
  }
  const bool early_look = !watch_next_ && since_anchor_ + 1 >= stretch_;
  if (!watched) {
    ++since_anchor_;
    if (early_look) {
      // It came even before the early look: the forecast is off by more than a quarter
      // period. Watch for the next one, and look early again after it.
      watch_next_ = true;
      stretch_ = 1;
    }
    return;
  }
  const Duration off = now > Due() ? now - Due() : Due() - now;
  // Room for twice the latest deviation, shrinking by a quarter for each sighting that needs
  // less.
  jitter_room_ = std::max(2 * off, jitter_room_ - jitter_room_ / 4);
  const int callbacks = since_anchor_ + 1;
  const bool believed = LearnPeriod(now - *anchor_, callbacks);
  // Off by more than a look's margin: the period may be wrong, or have changed. Look early
  // again soon, and let new measurements count for more.
  const bool surprise = !believed || off > period_ / 4;
  if (surprise) {
    stretch_ = 1;
    measured_ /= 2;
  } else {
    stretch_ = std::min(stretch_ * 2, kLongestStretch);
  }
  anchor_ = now;
  since_anchor_ = 0;
  watch_next_ = false;
}

bool FrameForecast::LearnPeriod(Duration interval, int callbacks) {
  const Duration sample = interval / callbacks;
  if (sample > period_ / 2 && sample < period_ * 3 / 2) {
    outliers_seen_ = 0;
    // The mean over every callback measured (as far as remembered): a measurement over many
    // callbacks counts for as many.
    period_ = (period_ * measured_ + interval) / (measured_ + callbacks);
    measured_ = std::min(measured_ + callbacks, kCallbacksRemembered);
    return true;
  }
  // Far off: believed only when about the same is seen again and again (a compositor that
  // really is that much slower or faster than its output says).
  const Duration off = sample > outlier_ ? sample - outlier_ : outlier_ - sample;
  if (outliers_seen_ > 0 && off < outlier_ / 8) {
    ++outliers_seen_;
  } else {
    outlier_ = sample;
    outliers_seen_ = 1;
  }
  if (outliers_seen_ >= kOutlierToBelieve) {
    period_ = outlier_;
    measured_ = 0;
    outliers_seen_ = 0;
  }
  return false;
}

}  // namespace rt::wayland
