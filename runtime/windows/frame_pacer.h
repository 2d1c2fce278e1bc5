// When a Windows backend draws its frames: one in each of the display's refresh periods, just
// after its vertical blank, so every frame is shown exactly once at 59.94, 60, 120 or 144 Hz.
//
// The timing comes from the desktop compositor where it says (its rate and the time of its
// last vertical blank), else from the display mode's exact rational refresh rate, else 60 Hz.
// Without the compositor's phase the frames keep their own, at the exact rate, without drift.
// Platform-free (no Windows types), so that it is tested with a fake display anywhere.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/clock.h"

namespace rt::windows {

// numerator / denominator Hz, exactly as the system gives it (59.94 Hz is 60000 / 1001).
struct RefreshRate {
  std::uint32_t numerator = 0;
  std::uint32_t denominator = 0;
  // Whether it is a usable rate (10 to 1000 Hz); systems report 0 or 1 for "the default".
  bool Known() const;
  bool operator==(const RefreshRate&) const = default;
};

// What the display says of its timing.
class DisplayTiming {
 public:
  struct Compositor {
    RefreshRate rate;
    std::optional<TimePoint> vblank;  // a recent vertical blank, on the runtime's clock
  };
  virtual ~DisplayTiming() = default;
  // The compositor's timing; nothing where there is no compositor (or it says nothing).
  // Asked about once a second: a rate and a phase hold far longer than that.
  virtual std::optional<Compositor> CompositorTiming() = 0;
  // The display mode's refresh rate (not Known() where unknown). Asked at start and after
  // the display changed.
  virtual RefreshRate ModeRate() = 0;
};

class FramePacer {
 public:
  explicit FramePacer(DisplayTiming& timing);

  // The display's refresh period, to the nanosecond.
  Duration Period() const;
  // When to draw the frame the loop asked for at `deadline`: the slot after the last frame's
  // when the deadline falls about a frame after it, else the slot nearest the deadline. A
  // deadline more than two periods after `now` is not a frame's (the loop waits for its timers
  // alone): nothing. Asking again for the same deadline gives the same slot.
  std::optional<TimePoint> SlotFor(TimePoint deadline, TimePoint now);
  // The slot SlotFor gave has come, and its frame is drawn.
  void Took(TimePoint slot);
  // The frames stopped (the window was minimised): the next starts afresh.
  void Forget() { last_.reset(); }
  // The display mode changed (resolution, refresh rate): its rate is read again.
  void DisplayChanged();

 private:
  // Reads the rate and phase for the next slot; the grid's origin moves with the rate.
  void Refresh();
  // The first slot at or after `t`.
  TimePoint SlotAtOrAfter(TimePoint t) const;

  DisplayTiming& timing_;
  RefreshRate mode_;
  RefreshRate rate_;
  // Slots are origin_ + n periods (exactly, in the rate's fractions of a nanosecond).
  std::optional<TimePoint> origin_;
  bool from_compositor_ = false;
  std::optional<TimePoint> read_at_;
  std::optional<TimePoint> last_;
  std::optional<TimePoint> asked_;
  TimePoint slot_{};
};

}  // namespace rt::windows
