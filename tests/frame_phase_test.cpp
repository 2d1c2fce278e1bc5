// The loop against compositors that repaint on a rhythm of their own, at every phase relative to
// our frames: one wait per frame, and frames a steady period apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "run_headless.h"

namespace tarvel_test {
namespace {

using namespace std::chrono_literals;
using Compositor = rt::HeadlessBackend::Compositor;

constexpr rt::Duration kPeriod = rt::HeadlessBackend::k60Hz;

struct CompositorRun {
  CompositorRun(const Compositor& compositor, rt::Duration duration) {
    backend.PaceLikeACompositor(compositor);
    backend.CloseAt(At(duration));
    backend.OnPresent([this] {
      presents.push_back(backend.Elapsed());
      counts.push_back(handles.code->Counter);
    });
    status = rt::RunProject(Form1Project(handles), backend);
  }
  // The 1st and 99th percentiles of the intervals between presents after the first second.
  std::pair<rt::Duration, rt::Duration> IntervalSpread() const {
    std::vector<rt::Duration> intervals;
    for (std::size_t i = 1; i < presents.size(); ++i) {
      if (presents[i - 1] >= 1s) {
        intervals.push_back(presents[i] - presents[i - 1]);
      }
    }
    std::sort(intervals.begin(), intervals.end());
    return {intervals[intervals.size() / 100], intervals[intervals.size() * 99 / 100]};
  }
  rt::HeadlessBackend backend;
  Form1Handles handles;
  std::vector<rt::Duration> presents;
  std::vector<std::int64_t> counts;
  int status = -1;
};

// One kind that calls back just after its repaint and takes any frame committed before it (as
// sway does), one that takes frames only well before its repaint and calls back at it (weston).
const Compositor kKinds[] = {
    {.latch = 0ms, .delay = 300us, .release = 70us},
    {.latch = 7ms, .delay = 0ms, .release = 70us},
};

TEST(FramePhase, OneWaitAFrameAndSteadyFramesAtEveryPhaseWithAndWithoutJitter) {
  for (const Compositor& kind : kKinds) {
    for (const rt::Duration jitter : {rt::Duration(0), rt::Duration(400us)}) {
      for (int eighth = 0; eighth < 8; ++eighth) {
        Compositor compositor = kind;
        compositor.phase = kPeriod * eighth / 8 + 1us;
        compositor.jitter = jitter;
        compositor.seed = static_cast<unsigned>(eighth + 1);
        const CompositorRun run(compositor, 5s);
        const std::string where = "latch " + std::to_string(kind.latch.count()) + " ns, phase " +
                                  std::to_string(compositor.phase.count()) + " ns, jitter " +
                                  std::to_string(jitter.count()) + " ns";
        ASSERT_EQ(run.status, 0) << where;
        // Every repaint of the compositor shows a frame, each with one tick on it.
        EXPECT_GE(run.presents.size(), 295U) << where;
        EXPECT_EQ(run.counts.back(), static_cast<std::int64_t>(run.presents.size()) - 1) << where;
        const double waits_a_frame =
            static_cast<double>(run.backend.Waits()) / static_cast<double>(run.backend.Presents());
        EXPECT_LE(waits_a_frame, 1.05) << where;
        const auto [low, high] = run.IntervalSpread();
        EXPECT_GE(low, kPeriod - 1ms) << where;
        EXPECT_LE(high, kPeriod + 1ms) << where;
      }
    }
  }
}

TEST(FramePhase, ADisplaySlowerThanItsOutputSaysSetsThePace) {
  // A nested compositor repaints at about 52 frames a second on a 60 Hz output.
  Compositor compositor{.period = 19'300us, .phase = 5ms, .latch = 7ms};
  const CompositorRun run(compositor, 5s);
  EXPECT_EQ(run.status, 0);
  const auto [low, high] = run.IntervalSpread();
  EXPECT_EQ(low, 19'300us);
  EXPECT_EQ(high, 19'300us);
  EXPECT_LE(run.backend.Waits(), run.backend.Presents() + 2);
}

TEST(FramePhase, ADisplayThatCallsBackWheneverGivenAFrameIsPacedByTheClockAtOneWaitAFrame) {
  // Like a compositor that repaints on demand: its call comes 3 ms after every commit.
  rt::HeadlessBackend backend;
  backend.PaceLikeADisplay(3ms);
  backend.CloseAt(At(10s));
  std::vector<rt::Duration> presents;
  backend.OnPresent([&] { presents.push_back(backend.Elapsed()); });
  Form1Handles handles;
  ASSERT_EQ(rt::RunProject(Form1Project(handles), backend), 0);
  EXPECT_NEAR(static_cast<double>(presents.size()), 600.0, 4.0);
  EXPECT_LE(static_cast<double>(backend.Waits()), 1.05 * static_cast<double>(presents.size()));
}

}  // namespace
}  // namespace tarvel_test
