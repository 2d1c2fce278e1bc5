// The text engine: label sizes as the label has always had them, and text drawn where it is
// measured to be, in its colour, never outside its clip.
#include "runtime/text_engine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/surface.h"
#include "runtime/text.h"

namespace tarvel_test {
namespace {

constexpr rt::FontDesign kLabelFont{.family = "Sans Serif", .points = 24, .weight = 400};

struct Pinned {
  float scale;
  const char16_t* caption;
  int width;
  int height;
};

// Widths and heights in pixels that every label in the field was sized with before this engine
// (DejaVu Sans, hinted): a caption must keep its size whatever draws it.
constexpr Pinned kPinned[] = {
    {1.0F, u"0", 20, 38},
    {1.0F, u">:|    1", 109, 38},
    {1.0F, u">:()   1", 112, 38},
    {1.0F, u">:|    47", 129, 38},
    {1.0F, u">:()   2147483648", 292, 38},
    {1.0F, u">:|    9223372036854775807", 469, 38},
    {1.0F, u"AVATAR Wo", 182, 38},  // kerned pairs
    {1.0F, u"run-time error in StepLabel: overflow", 593, 38},
    {1.25F, u">:|    1", 137, 47},
    {1.25F, u">:()   2147483648", 368, 47},
    {1.25F, u"AVATAR Wo", 223, 47},
    {2.0F, u"0", 41, 75},
    {2.0F, u">:|    1", 219, 75},
    {2.0F, u">:()   1", 227, 75},
    {2.0F, u">:|    9223372036854775807", 957, 75},
    {2.0F, u"AVATAR Wo", 359, 75},
};

TEST(TextEngine, CaptionsKeepTheSizesLabelsHaveAlwaysHad) {
  for (const Pinned& pinned : kPinned) {
    rt::TextEngine text(pinned.scale);
    const int font = text.OpenFont(kLabelFont);
    const rt::PixelSize size = text.Measure(font, pinned.caption);
    EXPECT_EQ(size.width, pinned.width) << rt::ToUtf8(pinned.caption) << " at " << pinned.scale;
    EXPECT_EQ(size.height, pinned.height) << rt::ToUtf8(pinned.caption) << " at " << pinned.scale;
  }
}

TEST(TextEngine, ANewScaleMeasuresAsAFreshEngineAtThatScale) {
  rt::TextEngine text(1.0F);
  const int font = text.OpenFont(kLabelFont);
  rt::Text caption = u">:()   123";
  const rt::PixelSize before = text.Measure(font, caption);
  text.SetScale(2.0F);
  rt::TextEngine fresh(2.0F);
  EXPECT_EQ(text.Measure(font, caption), fresh.Measure(fresh.OpenFont(kLabelFont), caption));
  text.SetScale(1.0F);
  EXPECT_EQ(text.Measure(font, caption), before);
}

// A small image to draw on, black to start with.
struct Canvas {
  static constexpr int kWidth = 200;
  static constexpr int kHeight = 60;
  std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kWidth * kHeight, 0);
  rt::PixelBuffer buffer{pixels.data(), kWidth, kHeight, kWidth * 4};
  rt::Surface surface{buffer};

  // The colour at (x, y); the unused top byte of XRGB is not part of it.
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y * kWidth + x)] & 0xFFFFFF;
  }
  // The columns and rows that hold any lit pixel; empty when nothing was drawn.
  rt::PixelRect Ink() const {
    int left = kWidth;
    int top = kHeight;
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        if (At(x, y) != 0) {
          left = std::min(left, x);
          top = std::min(top, y);
          right = std::max(right, x);
          bottom = std::max(bottom, y);
        }
      }
    }
    return right < 0 ? rt::PixelRect{}
                     : rt::PixelRect{left, top, right - left + 1, bottom - top + 1};
  }
};

TEST(TextEngine, DrawsInItsColourWithinTheMeasuredBox) {
  rt::TextEngine text;
  const int font = text.OpenFont(kLabelFont);
  Canvas canvas;
  const rt::PixelSize size = text.Measure(font, u">:|    42");
  text.Draw(canvas.surface, font, u">:|    42", 10, 5, {255, 0, 0}, canvas.surface.Bounds());
  const rt::PixelRect ink = canvas.Ink();
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.x, 10);
  EXPECT_LE(ink.x + ink.width, 10 + size.width + 2);  // a last glyph may overhang a little
  EXPECT_GE(ink.y, 5);
  EXPECT_LE(ink.y + ink.height, 5 + size.height);
  int solid = 0;
  for (int y = 0; y < Canvas::kHeight; ++y) {
    for (int x = 0; x < Canvas::kWidth; ++x) {
      const std::uint32_t pixel = canvas.At(x, y);
      ASSERT_EQ(pixel & 0x00FFFF, 0U) << std::hex << pixel;  // red on black: never green or blue
      solid += pixel == 0xFF0000;
    }
  }
  EXPECT_GT(solid, 100);  // antialiased, but with solid strokes
}

TEST(TextEngine, NothingIsDrawnOutsideTheClip) {
  rt::TextEngine text;
  const int font = text.OpenFont(kLabelFont);
  Canvas canvas;
  const rt::PixelRect clip{40, 10, 30, 20};
  text.Draw(canvas.surface, font, u"WWWWWWWW", 0, 0, {255, 0, 0}, clip);
  const rt::PixelRect ink = canvas.Ink();
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.x, clip.x);
  EXPECT_GE(ink.y, clip.y);
  EXPECT_LE(ink.x + ink.width, clip.x + clip.width);
  EXPECT_LE(ink.y + ink.height, clip.y + clip.height);
  // A clip off the surface draws nothing at all.
  Canvas other;
  text.Draw(other.surface, font, u"WWWW", 0, 0, {255, 0, 0}, {500, 500, 10, 10});
  EXPECT_TRUE(other.Ink().empty());
}

TEST(TextEngine, SurfaceFillsAreCutToTheSurface) {
  Canvas canvas;
  canvas.surface.Fill({-5, -5, 10, 10}, {0, 255, 0});
  canvas.surface.Fill({195, 55, 50, 50}, {0, 0, 255});
  EXPECT_EQ(canvas.At(0, 0), 0x00FF00U);
  EXPECT_EQ(canvas.At(4, 4), 0x00FF00U);
  EXPECT_EQ(canvas.At(5, 5), 0U);
  EXPECT_EQ(canvas.At(199, 59), 0x0000FFU);
  EXPECT_EQ(canvas.Ink(), (rt::PixelRect{0, 0, 200, 60}));
}

}  // namespace
}  // namespace tarvel_test
