// The auto-sizing label's properties and how their calls fail.
#include "runtime/label.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "form1_fixture.h"
#include "runtime/run_time_error.h"

namespace tarvel_test {
namespace {

class LabelTest : public ::testing::Test, public Form1Fixture {
 protected:
  template <class Action>
  std::string ErrorOf(Action action) {
    try {
      action();
    } catch (const rt::RunTimeError& error) {
      EXPECT_EQ(error.kind(), rt::ErrorKind::kPropertyCall);
      return error.what();
    }
    return "no error";
  }
};

TEST_F(LabelTest, CaptionChangeFitsWidthAndHeightAndKeepsThePosition) {
  label.SetLeft(-250);
  label.SetTop(77);
  label.SetCaption(u"1");
  const float one_width = label.Width();
  EXPECT_GT(one_width, 0.0F);
  EXPECT_GT(LineHeight(), 0.0F);
  EXPECT_EQ(label.Height(), LineHeight());
  label.SetCaption(u"12345");
  EXPECT_GT(label.Width(), 4 * one_width);
  EXPECT_EQ(label.Left(), -250.0F);
  EXPECT_EQ(label.Top(), 77.0F);
  label.SetCaption(u"");
  EXPECT_EQ(label.Width(), 0.0F);
  EXPECT_EQ(label.Height(), LineHeight());
}

TEST_F(LabelTest, OnlyRealChangesAskForARepaint) {
  label.SetCaption(u"1");
  form.TakeInvalidated();
  const auto version = label.Version();
  label.SetCaption(u"1");
  label.SetLeft(label.Left());
  label.SetVisible(label.Visible());
  EXPECT_EQ(label.Version(), version);
  EXPECT_FALSE(form.TakeInvalidated());
  label.SetLeft(label.Left() + 100);
  EXPECT_GT(label.Version(), version);
  EXPECT_TRUE(form.TakeInvalidated());
}

TEST_F(LabelTest, BadValuesFailNamingTheLabelAndMemberAndChangeNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(ErrorOf([&] { label.SetLeft(nan); }), "Label1.Left: invalid value");
  EXPECT_EQ(ErrorOf([&] { label.SetLeft(-inf); }), "Label1.Left: invalid value");
  EXPECT_EQ(ErrorOf([&] { label.SetTop(inf); }), "Label1.Top: invalid value");
  EXPECT_EQ(ErrorOf([&] { label.SetTop(3.0e9F); }), "Label1.Top: value out of range");
  EXPECT_EQ(ErrorOf([&] { label.SetCaption(std::u16string(70000, u'x')); }),
            "Label1.Caption: text too long");
  EXPECT_EQ(label.Left(), 0.0F);
  EXPECT_EQ(label.Top(), 1200.0F);
  EXPECT_EQ(label.Caption(), u"0");
  label.SetLeft(-1.0e9F);  // the very edge of the range is fine
  EXPECT_EQ(label.Left(), -1.0e9F);
}

TEST_F(LabelTest, EveryCallFailsOnceTheFormIsUnloaded) {
  form.Unload();
  EXPECT_EQ(ErrorOf([&] { label.SetCaption(u"x"); }), "Label1.Caption: the form is unloaded");
  EXPECT_EQ(ErrorOf([&] { (void)label.Left(); }), "Label1.Left: the form is unloaded");
  EXPECT_EQ(ErrorOf([&] { (void)label.Width(); }), "Label1.Width: the form is unloaded");
  EXPECT_EQ(ErrorOf([&] { label.SetVisible(true); }), "Label1.Visible: the form is unloaded");
  EXPECT_EQ(ErrorOf([&] { (void)form.Width(); }), "Form1.Width: the form is unloaded");
  EXPECT_EQ(ErrorOf([&] { form.TimerNamed("Timer1").SetEnabled(true); }),
            "Timer1.Enabled: the form is unloaded");
}

TEST_F(LabelTest, PixelBoundsAreTwipsOverFifteen) {
  label.SetCaption(u"1");
  label.SetLeft(-150);
  label.SetTop(1200);
  const rt::PixelRect bounds = label.PixelBounds();
  EXPECT_EQ(bounds.x, -10);
  EXPECT_EQ(bounds.y, 80);
  EXPECT_EQ(static_cast<float>(bounds.width) * 15.0F, label.Width());
  EXPECT_EQ(static_cast<float>(bounds.height) * 15.0F, LineHeight());
}

}  // namespace
}  // namespace tarvel_test
