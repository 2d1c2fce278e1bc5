// What the window shows: red text inside the label's rectangle, black everywhere else.
#include "runtime/painter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "run_headless.h"

namespace tarvel_test {
namespace {

using namespace std::chrono_literals;

struct Census {
  int red_inside = 0;
  int lit_outside = 0;
  int not_pure_red = 0;
};

// Looks at every pixel of the window against the label's current rectangle.
Census TakeCensus(const rt::HeadlessBackend& backend, const rt::PixelRect& label) {
  Census census;
  const rt::PixelSize size = backend.Window().client;
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      const rt::Color c = backend.PixelAt(x, y);
      const bool inside =
          x >= label.x && x < label.x + label.width && y >= label.y && y < label.y + label.height;
      if (c.green != 0 || c.blue != 0) {
        ++census.not_pure_red;
      }
      if (c.red != 0) {
        ++(inside ? census.red_inside : census.lit_outside);
      }
    }
  }
  return census;
}

TEST(Painting, EveryFrameIsRedTextInsideTheLabelOnBlackWithNoTrail) {
  rt::HeadlessBackend backend;
  Form1Handles handles;
  backend.CloseAt(At(3s));  // long enough to wrap at least once
  int frames_checked = 0;
  int wraps = 0;
  float previous_left = 0;
  std::string failure;
  backend.OnPresent([&] {
    const rt::Label& label = handles.form->LabelNamed("Label1");
    if (label.Left() < previous_left) {
      ++wraps;
    }
    previous_left = label.Left();
    // Every frame near a wrap, and every seventh otherwise, keeps the test quick.
    if (backend.Presents() % 7 != 1 && label.Left() > 600 && label.Left() < 4000) {
      return;
    }
    const rt::PixelRect bounds = label.PixelBounds();
    const Census census = TakeCensus(backend, bounds);
    const bool wholly_on_screen = bounds.x >= 0 && bounds.x + bounds.width <= 312 &&
                                  bounds.y >= 0 && bounds.y + bounds.height <= 213;
    if (census.lit_outside != 0 || census.not_pure_red != 0 ||
        (wholly_on_screen && census.red_inside < 50)) {
      failure = "frame " + std::to_string(backend.Presents()) + ": " +
                std::to_string(census.lit_outside) + " lit outside, " +
                std::to_string(census.not_pure_red) + " not pure red, " +
                std::to_string(census.red_inside) + " red inside";
    }
    ++frames_checked;
  });
  ASSERT_EQ(rt::RunProject(Form1Project(handles), backend), 0);
  EXPECT_EQ(failure, "");
  EXPECT_GT(frames_checked, 20);
  EXPECT_GE(wraps, 1);
}

TEST(Painting, FirstFrameIsDrawnBeforeTheWindowIsShown) {
  rt::HeadlessBackend backend;
  Form1Handles handles;
  backend.CloseAt(At(1ms));
  Census first;
  backend.OnPresent([&] {
    if (backend.Presents() == 1) {
      first = TakeCensus(backend, handles.form->LabelNamed("Label1").PixelBounds());
    }
  });
  ASSERT_EQ(rt::RunProject(Form1Project(handles), backend), 0);
  EXPECT_GT(first.red_inside, 50);  // "1" in red at the design position
  EXPECT_EQ(first.lit_outside, 0);
}

}  // namespace
}  // namespace tarvel_test
