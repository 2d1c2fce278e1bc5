// A denser display: the window and its text grow with it, and twips keep their size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "run_headless.h"
#include "runtime/x11/scale.h"

namespace tarvel_test {
namespace {

using namespace std::chrono_literals;

TEST(Scale, ReadFromXftDpiAndKeptWithinSenseBounds) {
  EXPECT_EQ(rt::x11::ScaleFromResources("Xft.dpi:\t192\n"), 2.0F);
  EXPECT_EQ(rt::x11::ScaleFromResources("Xcursor.size: 24\nXft.dpi: 120\n"), 1.25F);
  EXPECT_EQ(rt::x11::ScaleFromResources("Xcursor.size: 24\n"), 1.0F);
  EXPECT_EQ(rt::x11::ScaleFromResources(nullptr), 1.0F);
  EXPECT_EQ(rt::x11::ScaleFromResources("Xft.dpi: nonsense\n"), 1.0F);
  EXPECT_EQ(rt::x11::ScaleFromResources("Xft.dpi: 48\n"), 1.0F);
  EXPECT_EQ(rt::x11::ScaleFromResources("Xft.dpi: 9600\n"), 4.0F);
}

// Runs Form1 at `scale` for a moment; returns the window size and the label's size in twips.
struct Measured {
  rt::PixelSize window;
  float form_width = 0;
  float label_width = 0;
  float label_height = 0;
  rt::PixelRect label_pixels;
};

Measured RunAt(float scale) {
  rt::HeadlessBackend backend(rt::HeadlessBackend::k60Hz, scale);
  Form1Handles handles;
  Measured measured;
  backend.CloseAt(At(100ms));
  backend.OnPresent([&] {
    const rt::Label& label = handles.form->LabelNamed("Label1");
    measured = {backend.Window().client, handles.form->Width(), label.Width(), label.Height(),
                label.PixelBounds()};
  });
  EXPECT_EQ(rt::RunProject(Form1Project(handles), backend), 0);
  return measured;
}

TEST(Scale, DoubledDisplayDoublesThePixelsButNotTheTwips) {
  const Measured normal = RunAt(1.0F);
  const Measured doubled = RunAt(2.0F);
  EXPECT_EQ(normal.window, (rt::PixelSize{312, 213}));
  EXPECT_EQ(doubled.window, (rt::PixelSize{624, 426}));
  EXPECT_EQ(doubled.form_width, 4680.0F);
  // Font metrics round per size: 64 px DejaVu Sans is 75 px tall where 32 px is 38.
  EXPECT_NEAR(doubled.label_pixels.height, 2 * normal.label_pixels.height, 2);
  // The text is laid out afresh at twice the size, so its width agrees to a pixel or two.
  EXPECT_NEAR(doubled.label_width, normal.label_width, 2 * 15.0F);
  EXPECT_NEAR(doubled.label_height, normal.label_height, 15.0F);
}

TEST(Scale, MovingToADoubledDisplayLaysTheTextOutAfreshAtTheNewScale) {
  rt::HeadlessBackend backend;
  Form1Handles handles;
  backend.RescaleAt(At(200ms), 2.0F);
  backend.CloseAt(At(400ms));
  std::vector<Measured> seen;
  backend.OnPresent([&] {
    const rt::Label& label = handles.form->LabelNamed("Label1");
    seen.push_back({backend.Window().client, handles.form->Width(), label.Width(), label.Height(),
                    label.PixelBounds()});
  });
  EXPECT_EQ(rt::RunProject(Form1Project(handles), backend), 0);
  ASSERT_GT(seen.size(), 20U);
  const Measured& before = seen.front();
  const Measured& after = seen.back();
  EXPECT_EQ(before.window, (rt::PixelSize{312, 213}));
  EXPECT_EQ(after.window, (rt::PixelSize{624, 426}));
  EXPECT_EQ(after.form_width, 4680.0F);
  EXPECT_EQ(after.label_pixels.height, 75);  // DejaVu Sans laid out at 64 px
  EXPECT_NEAR(after.label_height, before.label_height, 15.0F);
  // Painted at the new size: red ink where the label now is.
  bool red = false;
  const rt::PixelRect where = after.label_pixels;
  for (int y = std::max(where.y, 0); y < std::min(where.y + where.height, 426); ++y) {
    for (int x = std::max(where.x, 0); x < std::min(where.x + where.width, 624); ++x) {
      red = red || backend.PixelAt(x, y).red == 255;
    }
  }
  EXPECT_TRUE(red);
}

}  // namespace
}  // namespace tarvel_test
