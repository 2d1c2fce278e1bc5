// The Windows frame pacing against a simulated display for an hour: frames drawn where the
// pacer says (with the wake-up a little late and the drawing taking time, as on a real
// system) must land one in each refresh period of the display, with the compositor's timing,
// with only the display mode's rate, across a change of rate, and without ever drifting.
#include "runtime/windows/frame_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace rt::windows {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::minutes;

__extension__ using Wide = __int128;

// A display refreshing at an exact rate from `epoch` on; it reports what the test lets it.
class FakeDisplay final : public DisplayTiming {
 public:
  RefreshRate rate{60, 1};
  TimePoint epoch{};
  bool has_compositor = true;
  bool reports_mode = true;
  const TimePoint* now = nullptr;
  int compositor_asked = 0;

  // Which refresh period `t` falls in, counted from the epoch.
  std::int64_t PeriodIndex(TimePoint t) const {
    const Wide since = (t - epoch).count();
    const Wide top = since * rate.numerator;
    const Wide bottom = Wide{1'000'000'000} * rate.denominator;
    return static_cast<std::int64_t>(top >= 0 ? top / bottom : -((-top + bottom - 1) / bottom));
  }
  TimePoint Vblank(std::int64_t index) const {
    return epoch + Duration(static_cast<std::int64_t>(Wide{index} * 1'000'000'000 *
                                                      rate.denominator / rate.numerator));
  }

  std::optional<Compositor> CompositorTiming() override {
    ++compositor_asked;
    if (!has_compositor) {
      return std::nullopt;
    }
    return Compositor{rate, Vblank(now ? PeriodIndex(*now) : 0)};
  }
  RefreshRate ModeRate() override { return reports_mode ? rate : RefreshRate{}; }
};

// Runs frames as the loop does (each asked for a period after the last was drawn) until `end`,
// and returns when each one's pixels were presented.
class Simulation {
 public:
  explicit Simulation(FakeDisplay& display, TimePoint start) : display_(display), now_(start) {
    display_.now = &now_;
  }

  FramePacer& pacer() { return pacer_; }
  bool busy = true;
  TimePoint now() const { return now_; }

  std::vector<TimePoint> RunUntil(TimePoint end) {
    std::vector<TimePoint> presents;
    while (now_ < end) {
      const std::optional<TimePoint> slot = pacer_.SlotFor(now_ + pacer_.Period(), now_);
      if (!slot) {
        ADD_FAILURE() << "a frame's deadline got no slot";
        break;
      }
      // The timer wakes 0 to 1.5 ms late, and on a busy machine every 500th frame 60 % of a
      // period late; the frame takes 0.3 ms to draw.
      noise_ = noise_ * 6364136223846793005ULL + 1442695040888963407ULL;
      const Duration late = busy && ++frames_ % 500 == 0
                                ? pacer_.Period() * 6 / 10
                                : microseconds(static_cast<int>((noise_ >> 33) % 1500));
      now_ = std::max(now_, *slot) + late;
      pacer_.Took(*slot);
      now_ += microseconds(300);
      presents.push_back(now_);
    }
    return presents;
  }

 private:
  FakeDisplay& display_;
  TimePoint now_;
  FramePacer pacer_{display_};
  std::uint64_t noise_ = 12345;
  int frames_ = 0;
};

// How many refresh periods had no present, and how many more than one, after the first.
struct Tally {
  int missed = 0;
  int doubled = 0;
};
Tally Count(const FakeDisplay& display, const std::vector<TimePoint>& presents) {
  Tally tally;
  for (std::size_t i = 1; i < presents.size(); ++i) {
    const std::int64_t step =
        display.PeriodIndex(presents[i]) - display.PeriodIndex(presents[i - 1]);
    tally.missed += step > 1 ? static_cast<int>(step - 1) : 0;
    tally.doubled += step < 1 ? 1 : 0;
  }
  return tally;
}

constexpr RefreshRate kRates[] = {{60000, 1001}, {60, 1}, {144, 1}};

TEST(FramePacer, WithTheCompositorsTimingEveryRefreshShowsOneFrameForAnHour) {
  for (const RefreshRate rate : kRates) {
    FakeDisplay display;
    display.rate = rate;
    display.epoch = TimePoint(milliseconds(3));
    Simulation simulation(display, TimePoint(milliseconds(1000)) + microseconds(4321));
    const std::vector<TimePoint> presents = simulation.RunUntil(TimePoint(minutes(60)));
    const Tally tally = Count(display, presents);
    EXPECT_EQ(tally.missed, 0) << rate.numerator << "/" << rate.denominator;
    EXPECT_EQ(tally.doubled, 0) << rate.numerator << "/" << rate.denominator;
    // The compositor is asked about once a second, not once a frame.
    EXPECT_LE(display.compositor_asked, 3600 + 2);
  }
}

TEST(FramePacer, WithoutACompositorTheModesExactRateNeverDrifts) {
  for (const bool mode_known : {true, false}) {
    FakeDisplay display;
    display.has_compositor = false;
    display.reports_mode = mode_known;
    display.rate = mode_known ? RefreshRate{60000, 1001} : RefreshRate{60, 1};
    // Its own phase: a few milliseconds into the display's period, and it must stay there.
    // (With no word of the display's phase, a frame woken very late may miss its period.)
    Simulation simulation(display, TimePoint(milliseconds(2)));
    simulation.busy = false;
    const std::vector<TimePoint> presents = simulation.RunUntil(TimePoint(minutes(60)));
    const Tally tally = Count(display, presents);
    EXPECT_EQ(tally.missed, 0) << mode_known;
    EXPECT_EQ(tally.doubled, 0) << mode_known;
    Duration earliest = Duration::max();
    Duration latest = Duration::min();
    for (const TimePoint present : presents) {
      const Duration offset = present - display.Vblank(display.PeriodIndex(present));
      earliest = std::min(earliest, offset);
      latest = std::max(latest, offset);
    }
    // The spread is the wake-up's lateness (1.5 ms), not a phase that wanders.
    EXPECT_LE(latest - earliest, microseconds(1600)) << mode_known;
  }
}

TEST(FramePacer, FollowsAChangeOfRefreshRate) {
  for (const bool compositor : {true, false}) {
    FakeDisplay display;
    display.has_compositor = compositor;
    display.epoch = TimePoint(milliseconds(5));
    Simulation simulation(display, TimePoint(milliseconds(1)));
    simulation.busy = compositor;
    std::vector<TimePoint> before = simulation.RunUntil(TimePoint(minutes(30)));
    const Tally at_60 = Count(display, before);
    EXPECT_EQ(at_60.missed + at_60.doubled, 0) << compositor;

    // The display switches to 144 Hz; the window hears of it (WM_DISPLAYCHANGE) a moment on.
    display.rate = {144, 1};
    display.epoch = simulation.now() + microseconds(2500);
    simulation.pacer().DisplayChanged();
    EXPECT_EQ(simulation.pacer().Period(), Duration(6'944'444));
    std::vector<TimePoint> after = simulation.RunUntil(TimePoint(minutes(60)));
    after.erase(after.begin(), after.begin() + 2);  // settling in
    const Tally at_144 = Count(display, after);
    EXPECT_EQ(at_144.missed + at_144.doubled, 0) << compositor;
  }
}

TEST(FramePacer, LeavesDeadlinesThatAreNotAFramesAlone) {
  FakeDisplay display;
  const TimePoint now(milliseconds(100));
  display.now = &now;
  FramePacer pacer(display);
  EXPECT_EQ(pacer.Period(), Duration(16'666'667));
  // A timer's wait while nothing is drawn (a minimised window) is kept as the loop asked.
  EXPECT_FALSE(pacer.SlotFor(now + std::chrono::seconds(1), now));
  // A frame's deadline gets a slot just after a vertical blank, within half a period of it.
  const std::optional<TimePoint> slot = pacer.SlotFor(now + pacer.Period(), now);
  ASSERT_TRUE(slot);
  EXPECT_LE(*slot - (now + pacer.Period()), pacer.Period() / 2);
  EXPECT_EQ(*slot - display.Vblank(display.PeriodIndex(*slot)), pacer.Period() / 8);
}

}  // namespace
}  // namespace rt::windows
