// A handler's run-time error on the headless backend: the run ends with status 1 through the
// report (its line on stderr and its box), naming the handler, whichever handler raised it.
#include "runtime/event_loop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "run_headless.h"

namespace tarvel_test {
namespace {

using namespace std::chrono_literals;

// Runs `project` and returns what it wrote to stderr.
std::string RunCapturingStderr(const rt::Project& project, rt::HeadlessBackend& backend,
                               int& status) {
  testing::internal::CaptureStderr();
  status = rt::RunProject(project, backend);
  return testing::internal::GetCapturedStderr();
}

TEST(EventLoop, OverflowEndsTheRunThroughTheReportNamingTheHandler) {
  rt::HeadlessBackend backend;
  backend.CloseAt(At(10s));
  Form1Handles handles;
  const rt::Project project = Form1Project(
      handles, [](form1::Form1& c) { c.Counter = std::numeric_limits<std::int64_t>::max() - 2; });
  int status = -1;
  const std::string err = RunCapturingStderr(project, backend, status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err, "Tarvel: run-time error in StepLabel: overflow\n");
  ASSERT_EQ(backend.ErrorBoxes().size(), 1U);
  EXPECT_EQ(backend.ErrorBoxes()[0], "Tarvel: run-time error in StepLabel: overflow");
  // Two ticks went through; the third raised.
  EXPECT_EQ(backend.Elapsed(), 3 * rt::HeadlessBackend::k60Hz);
}

// Form code that fails in the chosen handler, to drive each error path.
class Faulty : public rt::FormCode {
 public:
  Faulty(rt::Form& form, rt::Events& events) : FormCode(form) {
    rt::Label& label = form.LabelNamed("Label1");
    rt::Timer& timer = form.TimerNamed("Timer1");
    events.OnLoad("InitForm", [&] {
      timer.SetEnabled(true);
      if (fail_in_load) {
        timer.SetInterval(-5);
      }
    });
    events.OnTimer(timer, "StepLabel",
                   [&label] { label.SetLeft(std::numeric_limits<float>::quiet_NaN()); });
  }
  static inline bool fail_in_load = false;
};

TEST(EventLoop, FailedPropertyCallEndsTheRunNamingHandlerObjectAndMember) {
  rt::HeadlessBackend backend;
  backend.CloseAt(At(10s));
  Faulty::fail_in_load = false;
  int status = -1;
  const std::string err =
      RunCapturingStderr(rt::MakeProject<Faulty>("Tarvel", form1::Form1Design()), backend, status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err, "Tarvel: run-time error in StepLabel: Label1.Left: invalid value\n");
  EXPECT_EQ(backend.ErrorBoxes().size(), 1U);
}

TEST(EventLoop, ErrorInLoadEndsTheRunBeforeTheWindowIsShown) {
  rt::HeadlessBackend backend;
  backend.CloseAt(At(10s));
  Faulty::fail_in_load = true;
  int status = -1;
  const std::string err =
      RunCapturingStderr(rt::MakeProject<Faulty>("Tarvel", form1::Form1Design()), backend, status);
  Faulty::fail_in_load = false;
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err, "Tarvel: run-time error in InitForm: Timer1.Interval: invalid value\n");
  EXPECT_FALSE(backend.WindowShown());
}

}  // namespace
}  // namespace tarvel_test
