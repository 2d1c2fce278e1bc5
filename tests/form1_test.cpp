// Form1's three handlers, called directly in the order the runtime would call them.
#include "form1/form1.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "form1_fixture.h"
#include "runtime/run_time_error.h"

namespace tarvel_test {
namespace {

using form1::kClosedFace;
using form1::kOpenFace;

class Form1Test : public ::testing::Test, public Form1Fixture {};

TEST_F(Form1Test, DesignIsAsDrawnBeforeLoad) {
  EXPECT_EQ(form.Width(), 4680.0F);
  EXPECT_EQ(form.Height(), 3195.0F);
  EXPECT_EQ(form.ClientPixels(), (rt::PixelSize{312, 213}));
  EXPECT_FALSE(form.HasBorder());
  EXPECT_EQ(form.BackColor(), (rt::Color{0, 0, 0}));
  EXPECT_FALSE(label.Visible());
  EXPECT_EQ(label.Caption(), u"0");
  EXPECT_EQ(label.Left(), 0.0F);
  EXPECT_EQ(label.Top(), 1200.0F);
  EXPECT_EQ(label.ForeColor(), (rt::Color{255, 0, 0}));
  EXPECT_FALSE(form.TimerNamed("Timer1").Enabled());
  EXPECT_EQ(form.TimerNamed("Timer1").Interval(), 1);
  EXPECT_FALSE(form.TimerNamed("Timer2").Enabled());
  EXPECT_EQ(form.TimerNamed("Timer2").Interval(), 500);
  EXPECT_EQ(code.MouthOpen, rt::False);
  EXPECT_TRUE(code.Face.empty());
  EXPECT_EQ(code.Counter, 0);
}

TEST_F(Form1Test, LoadStartsTimersAndShowsOneWithNoFace) {
  code.InitForm();
  EXPECT_TRUE(form.TimerNamed("Timer1").Enabled());
  EXPECT_TRUE(form.TimerNamed("Timer2").Enabled());
  EXPECT_TRUE(label.Visible());
  EXPECT_EQ(label.Caption(), u"1");
  EXPECT_EQ(label.Width(), WidthOf(u"1"));
  EXPECT_EQ(label.Left(), 0.0F);
  EXPECT_EQ(label.Top(), 1200.0F);
  EXPECT_EQ(code.Face, kClosedFace);
  EXPECT_EQ(code.MouthOpen, rt::False);
  EXPECT_EQ(code.Counter, 0);
}

TEST_F(Form1Test, FirstTickShowsClosedFaceAndOneAndStepsRight) {
  code.InitForm();
  code.StepLabel();
  EXPECT_EQ(code.Counter, 1);
  EXPECT_EQ(label.Caption(), u">:|    1");
  EXPECT_EQ(label.Left(), 100.0F);
  EXPECT_EQ(label.Top(), 1200.0F);
  EXPECT_EQ(label.Width(), WidthOf(u">:|    1"));
}

TEST_F(Form1Test, TravelsAtDesignHeightUntilTick47ThenWrapsToARandomHeight) {
  code.InitForm();
  for (int tick = 1; tick <= 46; ++tick) {
    code.StepLabel();
    ASSERT_EQ(label.Left(), 100.0F * static_cast<float>(tick)) << "tick " << tick;
    ASSERT_EQ(label.Top(), 1200.0F) << "tick " << tick;
  }
  code.StepLabel();  // Left would be 4700, past the width of 4680
  EXPECT_EQ(label.Caption(), Caption(kClosedFace, 47));
  EXPECT_EQ(label.Left(), -WidthOf(Caption(kClosedFace, 47)));
  rt::Random fresh;
  const double r = fresh.Next();
  EXPECT_EQ(label.Top(), static_cast<float>(r * 3195.0 + 1.0));
  // From beyond the left edge it travels on, one step a tick.
  const float wrapped_left = label.Left();
  code.StepLabel();
  EXPECT_EQ(label.Left(), wrapped_left + 100.0F);
}

TEST_F(Form1Test, LeftEqualToTheWidthDoesNotWrapButTheNextStepDoes) {
  code.InitForm();
  form.WindowResized({300, 213});  // 4500 twips
  for (int tick = 1; tick <= 45; ++tick) {
    code.StepLabel();
  }
  EXPECT_EQ(label.Left(), 4500.0F);
  EXPECT_EQ(label.Top(), 1200.0F);
  code.StepLabel();
  EXPECT_LT(label.Left(), 0.0F);
  EXPECT_NE(label.Top(), 1200.0F);
}

TEST_F(Form1Test, WindowNarrowerThanTheLabelsLeftWrapsOnTheNextTick) {
  code.InitForm();
  label.SetLeft(3000);
  form.WindowResized({100, 213});  // 1500 twips
  code.StepLabel();
  EXPECT_EQ(label.Left(), -label.Width());
}

TEST_F(Form1Test, WrapUsesTheWidthOfTheCaptionThatJustGainedADigit) {
  code.InitForm();
  code.Counter = 9;
  label.SetLeft(4600);
  code.StepLabel();
  EXPECT_EQ(label.Caption(), Caption(kClosedFace, 10));
  EXPECT_EQ(label.Left(), -WidthOf(Caption(kClosedFace, 10)));
  EXPECT_LT(label.Left(), -WidthOf(Caption(kClosedFace, 9)));
}

TEST_F(Form1Test, WrappedTopsFollowTheGeneratorAndStayWithinWindowHeightPlusOne) {
  code.InitForm();
  rt::Random fresh;
  for (int wrap = 0; wrap < 200; ++wrap) {
    label.SetLeft(4680);
    code.StepLabel();
    const double r = fresh.Next();
    ASSERT_EQ(label.Top(), static_cast<float>(r * 3195.0 + 1.0));
    ASSERT_GE(label.Top(), 1.0F);
    ASSERT_LE(label.Top(), 3196.0F);
  }
}

TEST_F(Form1Test, CountCarriesOnPastThirtyTwoBits) {
  code.InitForm();
  code.Counter = 2147483647;
  code.StepLabel();
  EXPECT_EQ(code.Counter, 2147483648LL);
  EXPECT_EQ(label.Caption(), u">:|    2147483648");
}

TEST_F(Form1Test, CountAtItsMaximumRaisesOverflowAndChangesNothing) {
  code.InitForm();
  code.StepLabel();
  code.Counter = std::numeric_limits<std::int64_t>::max();
  const rt::Text caption = label.Caption();
  const float left = label.Left();
  try {
    code.StepLabel();
    FAIL() << "no overflow raised";
  } catch (const rt::RunTimeError& error) {
    EXPECT_EQ(error.kind(), rt::ErrorKind::kOverflow);
  }
  EXPECT_EQ(code.Counter, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(label.Caption(), caption);
  EXPECT_EQ(label.Left(), left);
}

TEST_F(Form1Test, MouthOpensOnTheFirstToggleAndClosesOnTheSecond) {
  code.InitForm();
  code.ToggleFace();
  EXPECT_EQ(code.Face, kOpenFace);
  EXPECT_EQ(code.MouthOpen, rt::True);
  code.ToggleFace();
  EXPECT_EQ(code.Face, kClosedFace);
  EXPECT_EQ(code.MouthOpen, rt::False);
}

TEST_F(Form1Test, AnyNonZeroMouthOpenCountsAsOpen) {
  code.InitForm();
  code.MouthOpen = 1;
  code.ToggleFace();
  EXPECT_EQ(code.Face, kClosedFace);
  EXPECT_EQ(code.MouthOpen, rt::False);
}

TEST_F(Form1Test, AToggleShowsFromTheNextTickAndResizesTheLabel) {
  code.InitForm();
  code.StepLabel();
  const float closed_width = label.Width();
  code.ToggleFace();
  EXPECT_EQ(label.Caption(), Caption(kClosedFace, 1));  // not until the next tick
  code.StepLabel();
  EXPECT_EQ(label.Caption(), Caption(kOpenFace, 2));
  EXPECT_EQ(label.Width(), WidthOf(Caption(kOpenFace, 2)));
  EXPECT_EQ(kOpenFace.size(), 7U);
  EXPECT_EQ(kClosedFace.size(), 7U);
  // Same length, different ink: the width follows the face, not the character count.
  EXPECT_NE(label.Width(), closed_width);
}

}  // namespace
}  // namespace tarvel_test
