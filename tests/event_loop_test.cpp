// The whole program on the headless backend: start-up, the frame loop and its pace, timers and
// closing. A handler's run-time error is in event_loop_errors_test.cpp.
#include "runtime/event_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "run_headless.h"
#include "runtime/text.h"

namespace tarvel_test {
namespace {

using namespace std::chrono_literals;

struct Frame {
  rt::Duration at;
  std::u16string caption;
  float left;
  rt::Boolean mouth_open;
};

// Runs Form1 for `duration` of virtual time and records every presented frame.
struct RecordedRun {
  explicit RecordedRun(rt::Duration duration) {
    backend.CloseAt(At(duration));
    backend.OnPresent([this] {
      const rt::Label& label = handles.form->LabelNamed("Label1");
      frames.push_back({backend.Elapsed(), std::u16string(std::u16string_view(label.Caption())),
                        label.Left(), handles.code->MouthOpen});
    });
    status = rt::RunProject(Form1Project(handles), backend);
  }

  rt::HeadlessBackend backend;
  Form1Handles handles;
  std::vector<Frame> frames;
  int status = -1;
};

TEST(EventLoop, ClosingTheWindowEndsWithStatusZero) {
  RecordedRun run(2s);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.backend.ErrorBoxes().empty());
  EXPECT_EQ(run.backend.Elapsed(), 2s);
}

TEST(EventLoop, FirstFrameShowsOneAndTheDesignCaptionIsNeverPainted) {
  RecordedRun run(1s);
  ASSERT_FALSE(run.frames.empty());
  EXPECT_EQ(run.frames[0].at, 0s);
  EXPECT_EQ(run.frames[0].caption, u"1");
  EXPECT_EQ(run.frames[0].left, 0.0F);
  for (const Frame& frame : run.frames) {
    ASSERT_NE(frame.caption, u"0");
  }
  EXPECT_EQ(run.backend.Window().title, "Form1");
  EXPECT_EQ(run.backend.Window().client, (rt::PixelSize{312, 213}));
  EXPECT_FALSE(run.backend.Window().border);
}

TEST(EventLoop, Timer1TicksOncePerFrameAndEveryTickIsPresented) {
  RecordedRun run(10s);
  // 60 frames a second after the first one, each carrying exactly one tick.
  ASSERT_GE(run.frames.size(), 600U);
  for (std::size_t i = 1; i < run.frames.size(); ++i) {
    const Frame& frame = run.frames[i];
    const rt::Text count = rt::IntToText(static_cast<std::int64_t>(i));
    ASSERT_EQ(frame.caption.substr(7), count) << "frame " << i;
    ASSERT_EQ(frame.at - run.frames[i - 1].at, rt::HeadlessBackend::k60Hz) << "frame " << i;
  }
}

TEST(EventLoop, MouthOpensAtTheFirstFrameAfterEachHalfSecondAndShowsOnThatTicksNextFrame) {
  RecordedRun run(10s);
  int toggles = 0;
  for (std::size_t i = 1; i < run.frames.size(); ++i) {
    const Frame& frame = run.frames[i];
    const bool toggled = (frame.mouth_open != 0) != (run.frames[i - 1].mouth_open != 0);
    if (!toggled) {
      continue;
    }
    ++toggles;
    const rt::Duration mark = toggles * 500ms;
    EXPECT_GE(frame.at, mark) << "toggle " << toggles;
    EXPECT_LT(frame.at - mark, rt::HeadlessBackend::k60Hz) << "toggle " << toggles;
    // Timer1 ran first in that frame, so the caption still wears the old face...
    EXPECT_EQ(frame.caption.substr(0, 7), frame.mouth_open ? form1::kClosedFace : form1::kOpenFace);
    // ...and the next frame wears the new one.
    if (i + 1 < run.frames.size()) {
      EXPECT_EQ(run.frames[i + 1].caption.substr(0, 7),
                frame.mouth_open ? form1::kOpenFace : form1::kClosedFace);
    }
  }
  EXPECT_EQ(toggles, 19);  // marks 0.5 s ... 9.5 s; the close at 10 s comes first
  EXPECT_EQ(run.frames[1].mouth_open, rt::False);
}

// Form1 on a display that calls back `refresh` after each frame, with the count of every frame.
struct PacedRun {
  explicit PacedRun(rt::Duration refresh, rt::Duration duration,
                    const std::function<void(rt::HeadlessBackend&)>& script = {}) {
    backend.PaceLikeADisplay(refresh);
    backend.CloseAt(At(duration));
    if (script) {
      script(backend);
    }
    backend.OnPresent([this] { frames.push_back({backend.Elapsed(), handles.code->Counter}); });
    status = rt::RunProject(Form1Project(handles), backend);
  }
  struct Shown {
    rt::Duration at;
    std::int64_t count;
  };
  rt::HeadlessBackend backend;
  Form1Handles handles;
  std::vector<Shown> frames;
  int status = -1;
};

TEST(EventLoop, ADisplayThatCallsBackSetsThePaceAndShowsEveryTick) {
  // Slower than the 60 Hz the output claims, as a nested compositor is.
  constexpr rt::Duration kRefresh = 19'300us;
  PacedRun run(kRefresh, 5s);
  EXPECT_EQ(run.status, 0);
  ASSERT_GT(run.frames.size(), 200U);
  for (std::size_t i = 1; i < run.frames.size(); ++i) {
    ASSERT_EQ(run.frames[i].count, static_cast<std::int64_t>(i)) << "frame " << i;
    ASSERT_EQ(run.frames[i].at - run.frames[i - 1].at, kRefresh) << "frame " << i;
  }
}

TEST(EventLoop, WhileHiddenTheCountGoesOnByTheClockAndNothingIsPainted) {
  constexpr rt::Duration kRefresh = 18ms;
  PacedRun run(kRefresh, 4s, [](rt::HeadlessBackend& b) {
    b.HideAt(At(1s));
    b.ShowAt(At(3s));
  });
  EXPECT_EQ(run.status, 0);
  const auto hidden_gap = std::adjacent_find(
      run.frames.begin(), run.frames.end(),
      [](const PacedRun::Shown& a, const PacedRun::Shown& b) { return b.at - a.at > 1s; });
  ASSERT_NE(hidden_gap, run.frames.end()) << "frames went on while hidden";
  const PacedRun::Shown before = *hidden_gap;
  const PacedRun::Shown after = *(hidden_gap + 1);
  EXPECT_LE(before.at, 1s + kRefresh);
  EXPECT_GE(after.at, 3s);
  EXPECT_LT(after.at, 3s + 2 * kRefresh);
  // One tick per 60 Hz period while nobody looked (after one period of grace for the display).
  const double periods = std::chrono::duration<double>(after.at - before.at) /
                         std::chrono::duration<double>(rt::HeadlessBackend::k60Hz);
  EXPECT_NEAR(static_cast<double>(after.count - before.count), periods - 1, 2.0);
  // Shown again, the display sets the pace once more.
  EXPECT_EQ((hidden_gap + 2)->at - after.at, kRefresh);
}

TEST(EventLoop, ADisplayCallingBackAtOnceDoesNotHurryTheTicks) {
  PacedRun run(1ms, 2s);
  EXPECT_EQ(run.status, 0);
  EXPECT_NEAR(static_cast<double>(run.frames.back().count), 120.0, 2.0);
}

TEST(EventLoop, AFrameCostsOneWaitWhetherTheClockOrTheDisplaySetsThePace) {
  // Besides one wait a frame: the first, for what the display has said before the first frame,
  // and the one that hears the close.
  constexpr long long kBesides = 2;
  RecordedRun clocked(5s);
  EXPECT_GE(clocked.backend.Presents(), 300);
  EXPECT_LE(clocked.backend.Waits(), clocked.backend.Presents() + kBesides);
  for (const rt::Duration refresh : {rt::HeadlessBackend::k60Hz, rt::Duration(19'300us)}) {
    PacedRun paced(refresh, 5s);
    EXPECT_GE(paced.backend.Presents(), 250);
    EXPECT_LE(paced.backend.Waits(), paced.backend.Presents() + kBesides)
        << "refresh " << refresh.count() << " ns";
  }
}

// A form with one 500 ms timer and nothing to paint, to count many ticks quickly.
class Metronome : public rt::FormCode {
 public:
  Metronome(rt::Form& form, rt::Events& events) : FormCode(form) {
    rt::Timer& timer = form.TimerNamed("Beat");
    events.OnLoad("Start", [&timer] { timer.SetEnabled(true); });
    events.OnTimer(timer, "Beat", [] { ticks.push_back(clock->Now()); });
  }
  static inline const rt::Clock* clock = nullptr;
  static inline std::vector<rt::TimePoint> ticks;
};

TEST(EventLoop, HalfSecondTimerDoesNotDriftOverTenThousandTicks) {
  rt::FormDesign design;
  design.name = "Form1";
  design.client_width = 150;
  design.client_height = 150;
  design.timers.push_back({.name = "Beat", .interval_ms = 500, .enabled = false});
  rt::HeadlessBackend backend;
  Metronome::clock = &backend;
  Metronome::ticks.clear();
  backend.CloseAt(At(10'000 * 500ms + 1ms));
  ASSERT_EQ(rt::RunProject(rt::MakeProject<Metronome>("Tarvel", design), backend), 0);
  ASSERT_EQ(Metronome::ticks.size(), 10'000U);
  for (std::size_t k = 0; k < Metronome::ticks.size(); ++k) {
    const rt::Duration late = Metronome::ticks[k] - At(static_cast<long>(k + 1) * 500ms);
    ASSERT_GE(late, 0ns) << "tick " << k + 1;
    ASSERT_LT(late, rt::HeadlessBackend::k60Hz) << "tick " << k + 1;
  }
}

TEST(EventLoop, ResizedWindowIsWhatTheStepperWrapsAgainst) {
  rt::HeadlessBackend backend;
  Form1Handles handles;
  backend.ResizeAt(At(100ms), {100, 100});
  backend.CloseAt(At(3s));
  float furthest = 0;
  float width = 0;
  backend.OnPresent([&] {
    width = handles.form->Width();
    if (backend.Elapsed() > 200ms) {
      furthest = std::max(furthest, handles.form->LabelNamed("Label1").Left());
    }
  });
  EXPECT_EQ(rt::RunProject(Form1Project(handles), backend), 0);
  EXPECT_EQ(width, 1500.0F);
  EXPECT_LE(furthest, 1500.0F);  // never past the new 1500-twip width
  EXPECT_GT(furthest, 1300.0F);
}

}  // namespace
}  // namespace tarvel_test
