// The error report's box, drawn by the runtime: what it shows, and each way it is dismissed.
#include "runtime/error_box.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <string>

#include "run_headless.h"
#include "runtime/text.h"
#include "runtime/text_engine.h"

namespace tarvel_test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kMessage = "run-time error in StepLabel: overflow";
constexpr rt::WindowId kBox = 1;  // the form's window is the first

// Form1 with its count about to overflow on the third tick, so the box opens at 50 ms.
struct OverflowRun {
  rt::HeadlessBackend backend;
  rt::TextEngine text;
  rt::ErrorBoxLayout layout = rt::LayOutErrorBox(text, kMessage);
  int status = -1;

  void Run() {
    Form1Handles handles;
    testing::internal::CaptureStderr();
    status = rt::RunProject(Form1Project(handles,
                                         [](form1::Form1& c) {
                                           c.Counter = std::numeric_limits<std::int64_t>::max() - 2;
                                         }),
                            backend);
    testing::internal::GetCapturedStderr();
  }
  rt::PixelPoint ButtonCentre() const {
    return {layout.button.x + layout.button.width / 2, layout.button.y + layout.button.height / 2};
  }
  bool IsInk(int x, int y) const {
    const rt::Color c = backend.PixelAt(kBox, x, y);
    return c.red < 128 && c.green < 128 && c.blue < 128;
  }
};

TEST(ErrorBox, ShowsTheMessageAndAnOkButtonInAWindowOverTheForm) {
  OverflowRun run;
  run.Run();
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(run.backend.WindowCount(), 2);
  const rt::WindowSpec& box = run.backend.Window(kBox);
  EXPECT_EQ(box.title, "Tarvel");
  EXPECT_EQ(box.role, rt::WindowSpec::Role::kDialog);
  EXPECT_EQ(box.parent, 0);
  EXPECT_EQ(box.text, kMessage);
  EXPECT_EQ(box.client, run.layout.size);
  EXPECT_FALSE(run.backend.IsOpen(kBox));
  ASSERT_EQ(run.layout.lines.size(), 1U);

  const rt::PixelRect& button = run.layout.button;
  EXPECT_EQ(run.backend.PixelAt(kBox, 1, 1), (rt::Color{240, 240, 240}));
  EXPECT_EQ(run.backend.PixelAt(kBox, button.x, button.y + button.height / 2),
            (rt::Color{0, 120, 215}));
  EXPECT_EQ(run.backend.PixelAt(kBox, button.x + 4, button.y + 4), (rt::Color{225, 225, 225}));

  // Dark ink is the message, where it was laid out, and "OK" on the button; nothing else.
  const rt::PixelSize message = run.text.Measure(run.layout.font, rt::FromUtf8(kMessage));
  const rt::PixelRect message_area{run.layout.text.x, run.layout.text.y, message.width + 1,
                                   run.layout.line_height};
  int in_message = 0;
  int on_button = 0;
  int elsewhere = 0;
  for (int y = 0; y < box.client.height; ++y) {
    for (int x = 0; x < box.client.width; ++x) {
      if (!run.IsInk(x, y)) {
        continue;
      }
      if (message_area.Contains({x, y})) {
        ++in_message;
      } else if (button.Contains({x, y})) {
        ++on_button;
      } else {
        ++elsewhere;
      }
    }
  }
  EXPECT_GT(in_message, 200);
  EXPECT_GT(on_button, 20);
  EXPECT_EQ(elsewhere, 0);
}

struct Dismissal {
  const char* name;
  std::function<void(OverflowRun&, rt::TimePoint)> script;
};

class ErrorBoxDismissal : public ::testing::TestWithParam<Dismissal> {};

TEST_P(ErrorBoxDismissal, EndsWithStatusOneThenAndNotBefore) {
  OverflowRun run;
  // None of these dismisses the box: another key, a click beside OK, and a press on OK that is
  // let go beside it.
  run.backend.KeyAt(At(1s), rt::Key::kOther);
  run.backend.ClickAt(At(1200ms), {5, 5});
  run.backend.PressAt(At(1400ms), run.ButtonCentre());
  run.backend.ReleaseAt(At(1500ms), {5, run.ButtonCentre().y});
  GetParam().script(run, At(2s));
  run.Run();
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.backend.Elapsed(), 2s);
  EXPECT_FALSE(run.backend.IsOpen(kBox));
  EXPECT_EQ(run.backend.ErrorBoxes().size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(
    EachWay, ErrorBoxDismissal,
    ::testing::Values(
        Dismissal{"Enter",
                  [](OverflowRun& r, rt::TimePoint t) { r.backend.KeyAt(t, rt::Key::kEnter); }},
        Dismissal{"Escape",
                  [](OverflowRun& r, rt::TimePoint t) { r.backend.KeyAt(t, rt::Key::kEscape); }},
        Dismissal{"Space",
                  [](OverflowRun& r, rt::TimePoint t) { r.backend.KeyAt(t, rt::Key::kSpace); }},
        Dismissal{"ClickOnOk",
                  [](OverflowRun& r, rt::TimePoint t) { r.backend.ClickAt(t, r.ButtonCentre()); }},
        Dismissal{"WindowClose", [](OverflowRun& r, rt::TimePoint t) { r.backend.CloseTopAt(t); }}),
    [](const ::testing::TestParamInfo<Dismissal>& info) { return std::string(info.param.name); });

TEST(ErrorBox, AButtonHeldDownShowsPressed) {
  OverflowRun run;
  run.backend.PressAt(At(1s), run.ButtonCentre());
  run.backend.CloseTopAt(At(2s));
  run.Run();
  const rt::PixelRect& button = run.layout.button;
  EXPECT_EQ(run.backend.PixelAt(kBox, button.x + 4, button.y + 4), (rt::Color{204, 228, 247}));
}

TEST(ErrorBox, LongMessagesWrapAtBlanksAndTheBoxGrowsWithTheScale) {
  rt::TextEngine text;
  std::string message;
  for (int i = 0; i < 40; ++i) {
    message += "Label1.Caption: text too long ";
  }
  const rt::ErrorBoxLayout layout = rt::LayOutErrorBox(text, message);
  ASSERT_GT(layout.lines.size(), 3U);
  for (const std::u16string& line : layout.lines) {
    EXPECT_LE(text.Measure(layout.font, line).width, 480) << rt::ToUtf8(line);
    EXPECT_NE(line.front(), u' ');
  }
  EXPECT_LE(layout.size.width, 480 + 2 * 16);
  EXPECT_GE(layout.button.y,
            layout.text.y + static_cast<int>(layout.lines.size()) * layout.line_height);
  EXPECT_LE(layout.button.y + layout.button.height, layout.size.height);

  rt::TextEngine doubled(2.0F);
  const rt::ErrorBoxLayout big = rt::LayOutErrorBox(doubled, kMessage);
  const rt::ErrorBoxLayout small = rt::LayOutErrorBox(text, kMessage);
  // Font sizes round per scale (13 px, then 27 px), and hinted advances grow a little unevenly
  // (more so with GDI than with FreeType), so about double rather than exactly.
  EXPECT_NEAR(static_cast<double>(big.size.width) / small.size.width, 2.0, 0.15);
  EXPECT_NEAR(static_cast<double>(big.size.height) / small.size.height, 2.0, 0.1);
}

}  // namespace
}  // namespace tarvel_test
