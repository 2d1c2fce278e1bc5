// Arbitrary values, in random order, thrown at every property the runtime offers: each call
// either succeeds or ends in a run-time error, and no call leaves the controls inconsistent.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "form1_fixture.h"
#include "runtime/painter.h"
#include "runtime/run_time_error.h"

namespace tarvel_test {
namespace {

class PropertyFuzz : public ::testing::Test, public Form1Fixture {
 protected:
  std::mt19937_64 rng{20261208};

  float AnyFloat() {
    static const float kEdges[] = {std::numeric_limits<float>::quiet_NaN(),
                                   std::numeric_limits<float>::infinity(),
                                   -std::numeric_limits<float>::infinity(),
                                   0.0F,
                                   -0.0F,
                                   1.0e9F,
                                   -1.0e9F,
                                   std::nextafter(1.0e9F, 2.0e9F),
                                   std::numeric_limits<float>::max(),
                                   std::numeric_limits<float>::lowest(),
                                   std::numeric_limits<float>::denorm_min(),
                                   4680.0F};
    switch (rng() % 3) {
      case 0:
        return kEdges[rng() % std::size(kEdges)];
      case 1:
        return std::uniform_real_distribution<float>(-2.0e9F, 2.0e9F)(rng);
      default:
        return std::uniform_real_distribution<float>(-6000.0F, 6000.0F)(rng);
    }
  }

  int AnyInterval() {
    static const int kEdges[] = {
        0, -1, 1, 500, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
    return rng() % 2 ? kEdges[rng() % std::size(kEdges)] : static_cast<int>(rng());
  }

  std::u16string AnyCaption() {
    switch (rng() % 4) {
      case 0:
        return u"";
      case 1:
        return std::u16string(rt::Label::kCaptionLimit + rng() % 2, u'W');  // at and past it
      default: {
        std::u16string text(rng() % 40, u' ');
        for (char16_t& c : text) {
          c = static_cast<char16_t>(rng() % 4 ? u' ' + rng() % 95 : rng() % 0x10000);
        }
        return text;  // printable, other planes, lone surrogates
      }
    }
  }

  void CheckConsistent() {
    ASSERT_TRUE(std::isfinite(label.Left()));
    ASSERT_TRUE(std::isfinite(label.Top()));
    ASSERT_LE(std::fabs(label.Left()), rt::Label::kCoordinateLimit);
    ASSERT_LE(std::fabs(label.Top()), rt::Label::kCoordinateLimit);
    ASSERT_LE(label.Caption().size(), rt::Label::kCaptionLimit);
    ASSERT_EQ(label.Width(), WidthOf(label.Caption()));
    ASSERT_EQ(label.Height(), LineHeight());
    for (const auto& timer : form.Timers()) {
      ASSERT_GE(timer->Interval(), 0);
    }
  }
};

TEST_F(PropertyFuzz, EveryCallSucceedsOrRaisesAndNothingIsCorrupted) {
  OpenWindow();
  rt::Painter painter(text);
  code.InitForm();
  rt::Timer& timer1 = form.TimerNamed("Timer1");
  rt::Timer& timer2 = form.TimerNamed("Timer2");
  int failures = 0;
  for (int step = 0; step < 20'000; ++step) {
    const float left = label.Left();
    const float top = label.Top();
    const rt::Text caption = label.Caption();
    const unsigned op = rng() % 10;
    try {
      switch (op) {
        case 0:
          label.SetLeft(AnyFloat());
          break;
        case 1:
          label.SetTop(AnyFloat());
          break;
        case 2:
          label.SetCaption(AnyCaption());
          break;
        case 3:
          label.SetVisible(rng() % 2 == 0);
          break;
        case 4:
          (rng() % 2 ? timer1 : timer2).SetInterval(AnyInterval());
          break;
        case 5:
          (rng() % 2 ? timer1 : timer2).SetEnabled(rng() % 2 == 0);
          break;
        case 6:
          form.WindowResized({static_cast<int>(rng() % 2000), static_cast<int>(rng() % 2000)});
          break;
        case 7:
          code.StepLabel();
          break;
        case 8:
          code.ToggleFace();
          break;
        default:
          code.Counter = static_cast<std::int64_t>(rng());
          break;
      }
    } catch (const rt::RunTimeError&) {
      ++failures;
      // A refused value changes nothing.
      if (op <= 2) {
        ASSERT_EQ(label.Left(), left) << "step " << step;
        ASSERT_EQ(label.Top(), top) << "step " << step;
        ASSERT_EQ(label.Caption(), caption) << "step " << step;
      }
    }
    CheckConsistent();
    if (step % 50 == 0) {
      painter.Paint(form, backend.Buffer(0), step % 500 == 0);
    }
  }
  // Both outcomes were exercised.
  EXPECT_GT(failures, 100);
  EXPECT_LT(failures, 15'000);
}

}  // namespace
}  // namespace tarvel_test
