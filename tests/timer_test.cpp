// Timer deadlines: a steady rhythm, no drift, no bursts.
#include "runtime/timer.h"

#include <gtest/gtest.h>

#include <chrono>

#include "form1_fixture.h"
#include "runtime/run_time_error.h"

namespace tarvel_test {
namespace {

using namespace std::chrono_literals;

class TimerTest : public ::testing::Test, public Form1Fixture {
 protected:
  rt::Timer& timer = form.TimerNamed("Timer2");  // 500 ms
  rt::TimePoint At(rt::Duration since_start) { return rt::TimePoint{} + since_start; }
};

TEST_F(TimerTest, DisabledOrZeroIntervalNeverTicks) {
  EXPECT_FALSE(timer.IsDue(At(10s)));
  timer.SetEnabled(true);
  timer.SetInterval(0);
  EXPECT_FALSE(timer.IsDue(At(1000s)));
}

TEST_F(TimerTest, NextDueFollowsThePreviousDueNotTheLateTick) {
  timer.SetEnabled(true);  // clock at 0
  EXPECT_FALSE(timer.IsDue(At(499ms)));
  EXPECT_TRUE(timer.IsDue(At(500ms)));
  timer.TakeTick(At(516ms));  // ticked one frame late
  EXPECT_EQ(timer.DueTime(), At(1000ms));
  EXPECT_FALSE(timer.IsDue(At(999ms)));
}

TEST_F(TimerTest, AStallResumesFromNowWithoutCatchUpTicks) {
  timer.SetEnabled(true);
  timer.TakeTick(At(3200ms));  // six intervals missed
  EXPECT_EQ(timer.DueTime(), At(3700ms));
  EXPECT_FALSE(timer.IsDue(At(3200ms)));
}

TEST_F(TimerTest, ReEnablingStartsAFreshInterval) {
  timer.SetEnabled(true);
  timer.SetEnabled(true);  // already on: its rhythm stays
  EXPECT_EQ(timer.DueTime(), At(500ms));
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.IsDue(At(600ms)));
  std::vector<rt::WindowEvent> events;
  backend.WaitUntil(At(700ms), events);
  timer.SetEnabled(true);
  EXPECT_EQ(timer.DueTime(), At(1200ms));
}

TEST_F(TimerTest, NegativeIntervalFailsNamingTheTimer) {
  try {
    timer.SetInterval(-1);
    FAIL() << "no error raised";
  } catch (const rt::RunTimeError& error) {
    EXPECT_STREQ(error.what(), "Timer2.Interval: invalid value");
  }
  EXPECT_EQ(timer.Interval(), 500);
}

}  // namespace
}  // namespace tarvel_test
