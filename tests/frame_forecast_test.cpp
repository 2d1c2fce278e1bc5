// The Wayland frame forecast against a model compositor: how often the client wakes for each
// frame, and how late it reads each frame callback.
#include "runtime/wayland/frame_forecast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <random>
#include <vector>

namespace tarvel_test {
namespace {

using namespace std::chrono_literals;
using rt::Duration;
using rt::TimePoint;
using rt::wayland::FrameForecast;

constexpr Duration k60Hz = 16'666'667ns;

// A compositor that repaints every `period`, each repaint a little early or late by up to
// `jitter`, and sends a frame callback at the first repaint after a commit. While hidden it
// sends none.
class ModelCompositor {
 public:
  ModelCompositor(Duration period, Duration jitter) : jitter_(jitter) {
    runs_.push_back({TimePoint{} + 5ms, period});
  }

  // From `at` on it repaints every `period`, the first time at `at`: a new rate and phase.
  void Retime(TimePoint at, Duration period) { runs_.push_back({at, period}); }
  void Hide(TimePoint from, TimePoint to) {
    hidden_from_ = from;
    hidden_to_ = to;
  }

  // When the callback for a frame committed at `commit` comes.
  TimePoint CallbackFor(TimePoint commit) const {
    std::size_t r = 0;
    while (r + 1 < runs_.size() && runs_[r + 1].start <= commit) {
      ++r;
    }
    for (; r < runs_.size(); ++r) {
      const Run& run = runs_[r];
      const TimePoint end = r + 1 < runs_.size() ? runs_[r + 1].start : TimePoint::max();
      for (long long n = std::max<long long>(0, (commit - run.start) / run.period - 1);; ++n) {
        const TimePoint at = run.start + run.period * n + Jitter(r, n);
        if (at >= end) {
          break;
        }
        if (at > commit && !(at >= hidden_from_ && at < hidden_to_)) {
          return at;
        }
      }
    }
    return TimePoint::max();
  }

 private:
  struct Run {
    TimePoint start;
    Duration period;
  };
  // Each repaint's jitter is drawn once: the same whenever it is asked for.
  Duration Jitter(std::size_t run, long long n) const {
    std::mt19937 draw(static_cast<std::uint32_t>(n * 7919 + static_cast<long long>(run) * 31));
    std::uniform_int_distribution<long long> off(-jitter_.count(), jitter_.count());
    return Duration(off(draw));
  }

  Duration jitter_;
  std::vector<Run> runs_;
  TimePoint hidden_from_ = TimePoint::max();
  TimePoint hidden_to_ = TimePoint::max();
};

struct Tally {
  int frames = 0;
  int wakes = 0;
  Duration worst_lateness{};  // from a callback's coming to its reading
  int missed_repaints = 0;    // a commit that was too late for the repaint after its callback
  std::vector<Duration> read_intervals;  // between the readings of successive callbacks
};

// A client that draws a frame the moment it reads a callback, as Tarvel does: it commits
// `work` later and then waits as the Wayland backend would, asleep until the forecast's time
// and watching the connection from then on. Counts from `count_from` on.
class Client {
 public:
  Client(ModelCompositor& compositor, Duration nominal)
      : compositor_(compositor), forecast_(nominal) {}

  Tally Run(TimePoint until, TimePoint count_from) {
    Tally tally;
    TimePoint previous{};
    TimePoint previous_read{};
    while (now_ < until) {
      now_ += kWork;
      forecast_.Committed();
      const TimePoint comes = compositor_.CallbackFor(now_);
      int wakes = 0;
      for (;;) {
        ++wakes;
        if (const std::optional<TimePoint> look = forecast_.LookAt(now_)) {
          now_ = *look;
          if (comes <= now_) {
            forecast_.CalledBack(now_, false);
            break;
          }
          continue;
        }
        now_ = comes;
        forecast_.CalledBack(now_, true);
        break;
      }
      if (comes >= count_from && previous != TimePoint{}) {
        ++tally.frames;
        tally.wakes += wakes;
        tally.worst_lateness = std::max(tally.worst_lateness, now_ - comes);
        tally.missed_repaints += comes - previous > forecast_.Period() * 3 / 2;
        tally.read_intervals.push_back(now_ - previous_read);
      }
      previous_read = now_;
      previous = comes;
    }
    return tally;
  }

  const FrameForecast& forecast() const { return forecast_; }

 private:
  static constexpr Duration kWork = 300us;  // a tick and a painted frame, generously
  ModelCompositor& compositor_;
  FrameForecast forecast_;
  TimePoint now_{};
};

struct Pace {
  const char* name;
  Duration nominal;  // what the output says
  Duration actual;   // what the compositor does
  Duration jitter;
};

class FrameForecastPace : public ::testing::TestWithParam<Pace> {};

TEST_P(FrameForecastPace, OneWakeUpAFrameEveryCallbackReadSoonAndNoRepaintMissed) {
  const Pace pace = GetParam();
  ModelCompositor compositor(pace.actual, pace.jitter);
  Client client(compositor, pace.nominal);
  // A second to learn the pace, then a minute counted.
  const Tally tally = client.Run(TimePoint{} + 61s, TimePoint{} + 1s);
  ASSERT_GT(tally.frames, 1000);
  const double per_frame = static_cast<double>(tally.wakes) / tally.frames;
  EXPECT_LE(per_frame, 1.1) << tally.wakes << " wake-ups for " << tally.frames << " frames";
  EXPECT_GE(per_frame, 1.0);
  EXPECT_EQ(tally.missed_repaints, 0);
  // Read soon enough for the next commit to be in time for the next repaint: within a quarter
  // period's margin, the jitter of the callback and of the sighting forecast from, and a little
  // for the learnt period's error.
  EXPECT_LE(tally.worst_lateness, pace.actual / 4 + 2 * pace.jitter + pace.actual / 16);
  EXPECT_NEAR(static_cast<double>(client.forecast().Period().count()),
              static_cast<double>(pace.actual.count()), 0.01 * pace.actual.count());
  // Each frame follows its callback's reading, so on a steady compositor readings keep a steady
  // period: the 1st to 99th percentile within a millisecond of it (a twentieth, when slower).
  if (pace.jitter <= 300us) {
    std::vector<Duration> intervals = tally.read_intervals;
    std::sort(intervals.begin(), intervals.end());
    const Duration room = std::max<Duration>(1ms, pace.actual / 20);
    EXPECT_GE(intervals[intervals.size() / 100], pace.actual - room);
    EXPECT_LE(intervals[intervals.size() * 99 / 100], pace.actual + room);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Compositors, FrameForecastPace,
    ::testing::Values(Pace{"AsTheOutputSays", k60Hz, k60Hz, 200us},
                      // Nested weston: 60 Hz claimed, 51.6 Hz done.
                      Pace{"SlowerThanTheOutputSays", k60Hz, 19'380us, 300us},
                      // The same on a busy machine: callbacks a few milliseconds early or late.
                      Pace{"SlowerAndJittery", k60Hz, 19'380us, 2'500us},
                      Pace{"HalfTheOutputsRate", k60Hz, 2 * k60Hz, 300us},
                      Pace{"FasterThanTheOutputSays", k60Hz, 6'944us, 100us},
                      Pace{"RefreshUnknownAndSteady", Duration::zero(), 13'333us, 0us}),
    [](const ::testing::TestParamInfo<Pace>& info) { return std::string(info.param.name); });

TEST(FrameForecast, HiddenThenShownAtAnotherPhaseItRelearnsWithinAFewFrames) {
  ModelCompositor compositor(k60Hz, 200us);
  // Shown again 7.3 ms off the old phase.
  compositor.Hide(TimePoint{} + 2s, TimePoint{} + 4s);
  compositor.Retime(TimePoint{} + 4s + 7'300us, k60Hz);
  Client client(compositor, k60Hz);
  client.Run(TimePoint{} + 4s, TimePoint{} + 4s);
  const Tally settling = client.Run(TimePoint{} + 4'100ms, TimePoint{} + 4s);
  EXPECT_LE(settling.wakes, settling.frames + 4);
  const Tally after = client.Run(TimePoint{} + 30s, TimePoint{} + 4'100ms);
  EXPECT_LE(static_cast<double>(after.wakes) / after.frames, 1.1);
  EXPECT_EQ(after.missed_repaints, 0);
}

TEST(FrameForecast, ACompositorThatChangesItsRateIsFollowed) {
  ModelCompositor compositor(k60Hz, 200us);
  compositor.Retime(TimePoint{} + 10s, 20ms);  // the output switched to 50 Hz
  Client client(compositor, k60Hz);
  client.Run(TimePoint{} + 11s, TimePoint{} + 11s);
  const Tally after = client.Run(TimePoint{} + 40s, TimePoint{} + 11s);
  EXPECT_LE(static_cast<double>(after.wakes) / after.frames, 1.1);
  EXPECT_EQ(after.missed_repaints, 0);
  EXPECT_NEAR(static_cast<double>(client.forecast().Period().count()), 20e6, 0.2e6);
}

TEST(FrameForecast, WithoutASightingOrOnceOverdueItWatches) {
  FrameForecast forecast(k60Hz);
  const TimePoint start = TimePoint{} + 1s;
  forecast.Committed();
  EXPECT_FALSE(forecast.LookAt(start)) << "no sighting yet";
  forecast.CalledBack(start, true);
  forecast.Committed();
  // About a period after the sighting: a quarter period before it while the period is not yet
  // borne out, as much after once it is.
  const std::optional<TimePoint> look = forecast.LookAt(start + 1ms);
  ASSERT_TRUE(look);
  EXPECT_GE(*look, start + k60Hz * 3 / 4);
  EXPECT_LE(*look, start + k60Hz * 5 / 4);
  // Looked, and nothing came: from then on the connection is watched.
  EXPECT_FALSE(forecast.LookAt(*look));
  EXPECT_FALSE(forecast.LookAt(start + 1s));
}

}  // namespace
}  // namespace tarvel_test
