// The built program on a Wayland compositor (weston, nested in an X server we can look at).
#include <signal.h>

#include <thread>

#include "display/harness.h"

namespace display_test {
namespace {

bool IsBlackOrRed(std::uint32_t pixel) {
  return pixel == 0 || IsRed(pixel);
}

TEST(Wayland, WindowShowsBorderlessBlackWithRedTextAnimatesAndEndsOnTerminate) {
  const VirtualScreen host(1000, 700);
  ASSERT_TRUE(host.ok()) << "Xvfb did not start: " << host.Log();
  const NestedWeston weston(host);
  ASSERT_TRUE(weston.ok()) << "weston did not start: " << weston.Log();
  const std::string err = TempPath("err");
  std::vector<std::string> env = weston.ClientEnv();
  // As on a machine without any decoration plugin: nothing may complain about it.
  const std::vector<std::string> no_plugins = WithAndWithoutDecorationPlugins().back();
  env.insert(env.end(), no_plugins.begin(), no_plugins.end());
  Child tarvel({TARVEL_EXE}, env, err);

  // Weston's output is an 800 x 600 window at the host's top-left, with its panel along the
  // top; our window is the only large black rectangle on its patterned background (the
  // pointer's small black outline is too thin to count as rows or columns of it).
  auto window_box = [](const Image& image) {
    constexpr int kOutputWidth = 800;
    constexpr int kOutputBottom = 600;
    constexpr int kBelowPanel = 40;
    Box box{kOutputWidth, image.height, -1, -1};
    std::vector<int> columns(kOutputWidth, 0);
    for (int y = kBelowPanel; y < kOutputBottom && y < image.height; ++y) {
      int in_row = 0;
      for (int x = 0; x < kOutputWidth && x < image.width; ++x) {
        in_row += IsBlackOrRed(image.At(x, y));
      }
      if (in_row < 150) {
        continue;
      }
      box.top = std::min(box.top, y);
      box.bottom = y;
      for (int x = 0; x < kOutputWidth && x < image.width; ++x) {
        columns[static_cast<std::size_t>(x)] += IsBlackOrRed(image.At(x, y));
      }
    }
    for (int x = 0; x < kOutputWidth; ++x) {
      if (columns[static_cast<std::size_t>(x)] >= 100) {
        box.left = std::min(box.left, x);
        box.right = x;
      }
    }
    return box;
  };
  Image first;
  Box box;
  for (const auto end = std::chrono::steady_clock::now() + 10s;
       std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(100ms)) {
    first = host.CaptureScreen();
    box = window_box(first);
    if (!box.empty() && !BoundsOf(first, IsRed).empty()) {
      break;
    }
  }
  ASSERT_FALSE(box.empty()) << ReadFile(err) << SaveScreenshot(first, "wayland-first");
  // Exactly the client area: no title bar or frame was drawn around it.
  EXPECT_EQ(box.width(), 312) << SaveScreenshot(first, "wayland-first");
  EXPECT_EQ(box.height(), 213) << SaveScreenshot(first, "wayland-first");
  const Box red_first = BoundsOf(first, IsRed);
  EXPECT_FALSE(red_first.empty());

  std::this_thread::sleep_for(300ms);
  const Image later = host.CaptureScreen();
  const Box red_later = BoundsOf(later, IsRed);
  EXPECT_FALSE(red_later.empty());
  EXPECT_TRUE(red_later.left != red_first.left || red_later.top != red_first.top)
      << SaveScreenshot(later, "wayland-later");

  kill(tarvel.pid(), SIGTERM);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "");
}

}  // namespace
}  // namespace display_test
