// The built program on a Wayland compositor (weston, nested in an X server we can look at).
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "display/harness.h"
// clang-format off
#include <X11/keysym.h>
// clang-format on

namespace display_test {
namespace {

bool IsBlackOrRed(std::uint32_t pixel) {
  return pixel == 0 || IsRed(pixel);
}

// Weston's output shows at the host's top-left, 800 x 600, with its panel along the top; our
// window is the only large black rectangle on its patterned background (the pointer's small
// black outline is too thin to count as rows or columns of it).
Box WindowBox(const Image& image, int panel_height) {
  constexpr int kOutputWidth = 800;
  constexpr int kOutputBottom = 600;
  Box box{kOutputWidth, image.height, -1, -1};
  std::vector<int> columns(kOutputWidth, 0);
  for (int y = panel_height; y < kOutputBottom && y < image.height; ++y) {
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
}

// Waits for the window to show with its text; returns the screenshot and the window's box.
std::pair<Image, Box> WaitForWindow(const VirtualScreen& host, int panel_height) {
  Image image;
  Box box;
  for (const auto end = std::chrono::steady_clock::now() + 10s;
       std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(100ms)) {
    image = host.CaptureScreen();
    box = WindowBox(image, panel_height);
    if (!box.empty() && !BoundsOf(image, IsRed).empty()) {
      // Past the shell's fade-in, which blends the first frames with the background.
      std::this_thread::sleep_for(500ms);
      image = host.CaptureScreen();
      box = WindowBox(image, panel_height);
      break;
    }
  }
  return {image, box};
}

// The shared objects mapped into process `pid`.
std::string MappedFiles(pid_t pid) {
  return ReadFile("/proc/" + std::to_string(pid) + "/maps");
}

int Threads(pid_t pid) {
  const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
  return static_cast<int>(std::distance(std::filesystem::directory_iterator(tasks),
                                        std::filesystem::directory_iterator()));
}

TEST(Wayland, NativeBorderlessWindowAnimatesOnOneThreadWithoutGlAndEndsOnTerminate) {
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

  const auto [first, box] = WaitForWindow(host, 40);
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

  // Native, not through a GL driver: one thread and no GL, EGL or Mesa library.
  EXPECT_EQ(Threads(tarvel.pid()), 1);
  const std::string maps = MappedFiles(tarvel.pid());
  for (const char* library : {"libEGL", "libGL", "libgbm", "mesa", "_dri", "libdecor", "SDL"}) {
    EXPECT_EQ(maps.find(library), std::string::npos) << library << " is mapped";
  }

  kill(tarvel.pid(), SIGTERM);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "");
}

TEST(Wayland, DoubledOutputGetsDoubledPixelsAndCrispTextNotAnUpscale) {
  const VirtualScreen host(1000, 700);
  ASSERT_TRUE(host.ok()) << "Xvfb did not start: " << host.Log();
  const NestedWeston weston(host, 2);
  ASSERT_TRUE(weston.ok()) << "weston did not start: " << weston.Log();
  const std::string err = TempPath("err");
  Child tarvel({TARVEL_EXE}, weston.ClientEnv(), err);
  // The panel is twice as tall too.
  const auto [image, box] = WaitForWindow(host, 70);
  ASSERT_FALSE(box.empty()) << ReadFile(err) << SaveScreenshot(image, "wayland-scale2");
  EXPECT_EQ(box.width(), 624) << SaveScreenshot(image, "wayland-scale2");
  EXPECT_EQ(box.height(), 426) << SaveScreenshot(image, "wayland-scale2");
  // Text laid out at 64 px is well over the 38 px of 32 px text, and mostly solid red: an
  // upscaled 32 px rendering would be smeared into half-tones (about a third solid, against
  // about two thirds here).
  const Box red = BoundsOf(image, IsRed);
  EXPECT_GT(red.height(), 45) << SaveScreenshot(image, "wayland-scale2");
  int ink = 0;
  int solid = 0;
  for (const std::uint32_t pixel : image.pixels) {
    ink += IsRed(pixel);
    solid += pixel == 0xFF0000;
  }
  ASSERT_GT(ink, 0);
  EXPECT_GT(static_cast<double>(solid) / ink, 0.5) << SaveScreenshot(image, "wayland-scale2");
  kill(tarvel.pid(), SIGTERM);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "");
}

TEST(Wayland, TheCloseRequestEndsItWithStatusZero) {
  const VirtualScreen host;
  ASSERT_TRUE(host.ok()) << "Xvfb did not start: " << host.Log();
  const NestedWeston weston(host);
  ASSERT_TRUE(weston.ok()) << "weston did not start: " << weston.Log();
  const std::string err = TempPath("err");
  Child tarvel({TARVEL_EXE}, weston.ClientEnv(), err);
  ASSERT_FALSE(WaitForWindow(host, 40).second.empty()) << ReadFile(err);
  weston.CloseTopmost();
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "");
}

TEST(Wayland, RunTimeErrorShowsTheBoxWhichEnterDismissesWithStatusOne) {
  const VirtualScreen host;
  ASSERT_TRUE(host.ok()) << "Xvfb did not start: " << host.Log();
  const NestedWeston weston(host);
  ASSERT_TRUE(weston.ok()) << "weston did not start: " << weston.Log();
  const std::string err = TempPath("err");
  Child tarvel({TARVEL_FAULTY_EXE}, weston.ClientEnv(), err);
  // The box is light grey, the only such area on weston's background.
  Image image;
  long light = 0;
  for (const auto end = std::chrono::steady_clock::now() + 10s;
       light < 5000 && std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(100ms)) {
    image = host.CaptureScreen();
    light = std::count(image.pixels.begin(), image.pixels.end(), 0xF0F0F0U);
  }
  EXPECT_GE(light, 5000) << ReadFile(err) << SaveScreenshot(image, "wayland-error-box");
  EXPECT_EQ(ReadFile(err), "Tarvel: run-time error in StepLabel: overflow\n");
  EXPECT_FALSE(tarvel.WaitFor(300ms)) << "ended before the box was dismissed";
  weston.PressKey(XK_Return);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(1)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "Tarvel: run-time error in StepLabel: overflow\n");
}

}  // namespace
}  // namespace display_test
