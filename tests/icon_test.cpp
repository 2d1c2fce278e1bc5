// The icon's three images, read from their XPM source the way the program reads them.
#include "runtime/icon.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "resources/icons.h"

namespace {

constexpr std::uint32_t kCyan = 0xFF00FFFF;
constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

std::set<std::uint32_t> ColoursOf(const rt::IconImage& image) {
  return {image.argb.begin(), image.argb.end()};
}

TEST(Icon, ThreeImagesOfAWindowWithACyanTitleBar) {
  const rt::IconImage colour32 = rt::ParseXpm(resources::Icon32());
  const rt::IconImage mono32 = rt::ParseXpm(resources::Icon32Mono());
  const rt::IconImage colour16 = rt::ParseXpm(resources::Icon16());
  EXPECT_EQ(colour32.width, 32);
  EXPECT_EQ(colour32.height, 32);
  EXPECT_EQ(mono32.width, 32);
  EXPECT_EQ(colour16.width, 16);
  EXPECT_EQ(colour16.height, 16);
  EXPECT_LE(ColoursOf(colour32).size(), 16U);
  EXPECT_LE(ColoursOf(colour16).size(), 16U);
  // Monochrome: black, white and see-through only.
  for (const std::uint32_t pixel : ColoursOf(mono32)) {
    EXPECT_TRUE(pixel == kBlack || pixel == kWhite || pixel >> 24 == 0) << std::hex << pixel;
  }
  // The title bar: cyan across the top of the window in both colour images.
  EXPECT_EQ(colour32.argb[5 * 32 + 3], kCyan);
  EXPECT_EQ(colour32.argb[9 * 32 + 20], kCyan);
  EXPECT_EQ(colour16.argb[4 * 16 + 5], kCyan);
  // Corners outside the window are see-through.
  EXPECT_EQ(colour32.argb[0] >> 24, 0U);
}

TEST(Icon, MalformedXpmIsRefused) {
  const char* const bad_header[] = {"2 2 1", "x c #000000", "xx", "xx"};
  const char* const bad_colour[] = {"1 1 1 1", "x c red", "x"};
  const char* const short_row[] = {"2 1 1 1", "x c #000000", "x"};
  const char* const unknown[] = {"1 1 1 1", "x c #000000", "y"};
  const char* const missing_rows[] = {"1 2 1 1", "x c #000000", "x"};
  EXPECT_THROW(rt::ParseXpm(bad_header), std::invalid_argument);
  EXPECT_THROW(rt::ParseXpm(bad_colour), std::invalid_argument);
  EXPECT_THROW(rt::ParseXpm(short_row), std::invalid_argument);
  EXPECT_THROW(rt::ParseXpm(unknown), std::invalid_argument);
  EXPECT_THROW(rt::ParseXpm(missing_rows), std::invalid_argument);
  const char* const good[] = {"2 1 2 1", "  c None", "x c #00FFFF", " x"};
  const rt::IconImage image = rt::ParseXpm(good);
  EXPECT_EQ(image.argb, (std::vector<std::uint32_t>{0, kCyan}));
}

}  // namespace
