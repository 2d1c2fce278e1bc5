// The loop while nobody can see the window: it wakes at most once a second, paints nothing, and
// once seen again shows exactly what ticking all along would have shown.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "run_headless.h"
#include "runtime/label.h"

namespace tarvel_test {
namespace {

using namespace std::chrono_literals;

// Everything of Form1 that shows.
struct Seen {
  std::int64_t counter = 0;
  std::u16string caption;
  float left = 0;
  float top = 0;
  bool mouth_open = false;
  bool operator==(const Seen&) const = default;
};

struct WatchedRun {
  WatchedRun(rt::Duration close_at, const std::function<void(rt::HeadlessBackend&)>& setup) {
    setup(backend);
    backend.CloseAt(At(close_at));
    backend.OnPresent([this] {
      presents.push_back(backend.Elapsed());
      waits.push_back(backend.Waits());
      const rt::Label& label = handles.form->LabelNamed("Label1");
      last_shown = {handles.code->Counter, std::u16string(std::u16string_view(label.Caption())),
                    label.Left(), label.Top(), handles.code->MouthOpen != 0};
    });
    status = rt::RunProject(Form1Project(handles), backend);
  }
  // The presents before `from` and from `to` on, as indices: the last before, the first after.
  std::pair<std::size_t, std::size_t> Gap(rt::Duration from, rt::Duration to) const {
    std::size_t before = 0;
    while (before + 1 < presents.size() && presents[before + 1] < from) {
      ++before;
    }
    std::size_t after = before + 1;
    while (after < presents.size() && presents[after] < to) {
      ++after;
    }
    return {before, after};
  }
  rt::HeadlessBackend backend;
  Form1Handles handles;
  std::vector<rt::Duration> presents;
  std::vector<long long> waits;
  Seen last_shown;  // the form as the last frame showed it
  int status = -1;
};

constexpr rt::HeadlessBackend::Compositor kCompositor{.phase = 5ms, .latch = 7ms};
// Between two frames, so that a frame's place cannot decide what the close sees.
constexpr rt::Duration kHalfFrame = rt::HeadlessBackend::k60Hz / 2;

TEST(Unseen, TenMinutesHiddenThenShownEndsWhereNeverHiddenDoesWakingOnceASecond) {
  // On a compositor that just stops calling back (Wayland), and on a clock-paced display whose
  // platform says the window is hidden and shown again (a window covering it on X11).
  struct Case {
    const char* name;
    bool told;
  };
  for (const Case& c : {Case{"silent compositor", false}, Case{"told by the platform", true}}) {
    const auto display = [&c](rt::HeadlessBackend& b) {
      if (!c.told) {
        b.PaceLikeACompositor(kCompositor);
      }
    };
    const rt::Duration end = 10min + 5s + kHalfFrame;
    const WatchedRun never(end, display);
    const WatchedRun hidden(end, [&](rt::HeadlessBackend& b) {
      display(b);
      b.HideAt(At(2s + kHalfFrame), c.told);
      b.ShowAt(At(10min + 2s + kHalfFrame), c.told);
    });
    ASSERT_EQ(never.status, 0) << c.name;
    ASSERT_EQ(hidden.status, 0) << c.name;
    EXPECT_EQ(hidden.last_shown, never.last_shown)
        << c.name << ": " << hidden.last_shown.counter << " against " << never.last_shown.counter;
    EXPECT_GT(never.last_shown.counter, 36'000) << c.name;
    // Nothing painted while hidden; the waits in between, at most one a second and one more for
    // each of the hide and the show.
    const auto [before, after] = hidden.Gap(2s + kHalfFrame, 10min + 2s + kHalfFrame);
    ASSERT_LT(after, hidden.presents.size()) << c.name;
    EXPECT_LE(hidden.presents[before], 2s + kHalfFrame) << c.name;
    EXPECT_LT(hidden.presents[after], 10min + 2s + kHalfFrame + 2 * rt::HeadlessBackend::k60Hz)
        << c.name;
    EXPECT_LE(hidden.waits[after] - hidden.waits[before], 600 + 4) << c.name;
    // Shown again, one tick a frame: no burst.
    for (std::size_t i = after + 1; i < hidden.presents.size(); ++i) {
      ASSERT_LE(hidden.presents[i] - hidden.presents[i - 1], rt::HeadlessBackend::k60Hz + 1us)
          << c.name << ", frame " << i;
    }
  }
}

TEST(Unseen, TheCloseCommandWhileHiddenEndsItAtOnceWithStatusZero) {
  for (const bool told : {false, true}) {
    const WatchedRun run(30s + 123ms, [told](rt::HeadlessBackend& b) {
      if (!told) {
        b.PaceLikeACompositor(kCompositor);
      }
      b.HideAt(At(1s), told);
    });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.backend.Elapsed(), 30s + 123ms);
    EXPECT_LE(run.presents.back(), 1s);
    EXPECT_LE(run.backend.Waits(), 60 + 30 + 3);
  }
}

}  // namespace
}  // namespace tarvel_test
