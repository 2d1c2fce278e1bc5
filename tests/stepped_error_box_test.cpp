// A run-time error where nothing may block (a page): the loop hands the report to its reporter
// and ends, and the box is then run a step at a time until it is dismissed.
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "run_headless.h"
#include "runtime/error_box.h"
#include "runtime/event_loop.h"
#include "runtime/random.h"
#include "runtime/text_engine.h"

namespace tarvel_test {
namespace {

using rt::WindowEvent;

TEST(SteppedErrorBox, LoopReportsThroughItsReporterThenTheBoxRunsAStepAtATime) {
  rt::HeadlessBackend backend;
  rt::TextEngine text;
  rt::Random random;
  rt::Form form(form1::Form1Design(), text, backend, random, rt::kTwipsPerPixelAt96Dpi);
  rt::Events events;
  form1::Form1 code(form, events);
  code.Counter = std::numeric_limits<std::int64_t>::max() - 2;
  const rt::WindowId window = backend.OpenWindow({.client = form.ClientPixels()});
  rt::EventLoop loop("Tarvel", backend, form, events, text, window);
  std::vector<std::string> reports;
  loop.SetErrorReporter([&reports](const std::string& handler, const std::string& what) {
    reports.push_back(handler + ": " + what);
  });

  // The loop, driven a wake at a time, ends with status 1 on the third tick and opens no box.
  std::optional<int> status = loop.Start();
  std::vector<WindowEvent> arrived;
  for (int wake = 0; !status && wake < 10; ++wake) {
    arrived.clear();
    backend.WaitUntil(loop.NextWake(), arrived);
    status = loop.Step(arrived);
  }
  ASSERT_EQ(status, std::optional<int>(1));
  ASSERT_EQ(reports.size(), 1U);
  EXPECT_EQ(reports[0].rfind("StepLabel: ", 0), 0U) << reports[0];
  EXPECT_EQ(backend.WindowCount(), 1);

  {
    rt::ErrorBox box(backend, text, window, "Tarvel", "run-time error in " + reports[0]);
    ASSERT_EQ(backend.WindowCount(), 2);
    const rt::WindowId opened = 1;
    EXPECT_FALSE(box.Step({}));  // the first step draws it
    EXPECT_TRUE(backend.IsOpen(opened));
    EXPECT_GT(backend.Presents(), 0);
    const rt::Color face = backend.PixelAt(opened, 2, 2);
    EXPECT_EQ(face, (rt::Color{240, 240, 240}));
    // Keys it does not answer, and events for other windows, leave it up.
    EXPECT_FALSE(box.Step({{.kind = WindowEvent::Kind::kKeyPressed, .window = opened},
                           {.kind = WindowEvent::Kind::kFrameReady, .window = window}}));
    EXPECT_TRUE(box.Step(
        {{.kind = WindowEvent::Kind::kKeyPressed, .window = opened, .key = rt::Key::kEnter}}));
    EXPECT_TRUE(backend.IsOpen(opened));  // until it is destroyed
  }
  EXPECT_FALSE(backend.IsOpen(1));
}

}  // namespace
}  // namespace tarvel_test
