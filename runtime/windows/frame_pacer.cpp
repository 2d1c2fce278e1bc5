#include "runtime/windows/frame_pacer.h"

#include <algorithm>

namespace rt::windows {

namespace {

// Where nothing says otherwise.
constexpr RefreshRate kFallbackRate{60, 1};
// How often the compositor is asked again. Asking costs a call to it (under Wine, several
// round trips to its server); its period and phase drift by millionths between askings.
constexpr std::chrono::seconds kReread{1};

// Times multiplied by rates outgrow 64 bits after a few days; these never do.
__extension__ using Wide = __int128;
constexpr Wide kNanosecondsPerSecond = 1'000'000'000;

Wide FloorDiv(Wide a, Wide b) {
  const Wide quotient = a / b;
  return (a % b != 0 && a < 0) ? quotient - 1 : quotient;
}

}  // namespace

bool RefreshRate::Known() const {
  const std::uint64_t top = numerator;
  const std::uint64_t bottom = denominator;
  return bottom != 0 && top >= 10 * bottom && top <= 1000 * bottom;
}

FramePacer::FramePacer(DisplayTiming& timing) : timing_(timing), mode_(timing.ModeRate()) {
  Refresh();
}

Duration FramePacer::Period() const {
  const Wide top = kNanosecondsPerSecond * rate_.denominator;
  const Wide bottom = rate_.numerator;
  return Duration(static_cast<Duration::rep>((2 * top + bottom) / (2 * bottom)));
}

void FramePacer::Refresh() {
  const std::optional<DisplayTiming::Compositor> compositor = timing_.CompositorTiming();
  const RefreshRate rate = compositor && compositor->rate.Known() ? compositor->rate
                           : mode_.Known()                        ? mode_
                                                                  : kFallbackRate;
  const bool phased = compositor && compositor->vblank;
  if (rate != rate_ || (from_compositor_ && !phased)) {
    // A grid of our own goes on from the last frame at the new rate.
    origin_ = last_;
  }
  rate_ = rate;
  from_compositor_ = phased;
  if (phased) {
    // Just after the vertical blank: the frame then has nearly a whole period to reach the
    // compositor before its next one, and a timer that wakes a little late is still in time.
    origin_ = *compositor->vblank + Period() / 8;
  }
}

TimePoint FramePacer::SlotAtOrAfter(TimePoint t) const {
  const Wide top = kNanosecondsPerSecond * rate_.denominator;
  const Wide since = (t - *origin_).count();
  // The first n with n periods >= since, then that many periods, rounded down to the
  // nanosecond (so never before t, as since is whole nanoseconds).
  const Wide n = -FloorDiv(-since * rate_.numerator, top);
  return *origin_ + Duration(static_cast<Duration::rep>(FloorDiv(n * top, rate_.numerator)));
}

std::optional<TimePoint> FramePacer::SlotFor(TimePoint deadline, TimePoint now) {
  if (asked_ == deadline) {
    return slot_;
  }
  if (deadline > now && deadline - now > 2 * Period()) {
    return std::nullopt;
  }
  if (!read_at_ || now - *read_at_ >= kReread || now < *read_at_) {
    Refresh();
    read_at_ = now;
  }
  if (!origin_) {
    origin_ = deadline;
  }
  const Duration half = Period() / 2;
  if (last_ && deadline <= *last_ + 2 * Period()) {
    // The slot after the last frame's; if that has long gone, the one nearest now. A frame
    // that woke late asks late for the next: it is not drawn more than half a period before
    // the loop asked (a loop takes nothing sooner as a frame), which is still in the
    // refresh period after the last frame's.
    slot_ =
        std::max(SlotAtOrAfter(std::max(*last_ + half, now - half)), deadline - half + Duration(1));
  } else {
    slot_ = SlotAtOrAfter(deadline - half);
  }
  asked_ = deadline;
  return slot_;
}

void FramePacer::Took(TimePoint slot) {
  last_ = slot;
  asked_.reset();
}

void FramePacer::DisplayChanged() {
  mode_ = timing_.ModeRate();
  asked_.reset();
  Refresh();
  read_at_.reset();
}

}  // namespace rt::windows
