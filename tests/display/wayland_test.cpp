// The built program on a Wayland compositor (weston, nested in an X server we can look at).
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "display/harness.h"
#include "display/weston.h"
// clang-format off
#include <X11/keysym.h>
// clang-format on

namespace display_test {
namespace {

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

  const auto [first, box] = weston.WaitForWindow();
  ASSERT_FALSE(box.empty()) << ReadFile(err) << SaveScreenshot(first, "wayland-first");
  // Exactly the client area: no title bar or frame was drawn around it.
  EXPECT_EQ(box.width(), 312) << SaveScreenshot(first, "wayland-first");
  EXPECT_EQ(box.height(), 213) << SaveScreenshot(first, "wayland-first");
  const Box red_first = BoundsOf(first, IsRed);
  EXPECT_FALSE(red_first.empty());

  // It moves: the red text shows somewhere else.
  const Image later = CaptureUntil(
      [&host] { return host.CaptureScreen(); },
      [&red_first](const Image& shot) {
        const Box red = BoundsOf(shot, IsRed);
        return !red.empty() && (red.left != red_first.left || red.top != red_first.top);
      });
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
  const auto [shown, box] = weston.WaitForWindow();
  ASSERT_FALSE(box.empty()) << ReadFile(err) << SaveScreenshot(shown, "wayland-scale2");
  EXPECT_EQ(box.width(), 624) << SaveScreenshot(shown, "wayland-scale2");
  EXPECT_EQ(box.height(), 426) << SaveScreenshot(shown, "wayland-scale2");
  // Text laid out at 64 px is well over the 38 px of 32 px text, and mostly solid red: an
  // upscaled 32 px rendering would be smeared into half-tones (about a third solid, against
  // about two thirds here). Measured on a frame where none of the text is cut off: the label
  // may sit partly past the bottom or the right edge.
  const Image image =
      CaptureUntil([&host] { return host.CaptureScreen(); },
                   [&box](const Image& shot) { return WhollyInside(BoundsOf(shot, IsRed), box); });
  const Box red = BoundsOf(image, IsRed);
  EXPECT_TRUE(WhollyInside(red, box)) << SaveScreenshot(image, "wayland-scale2");
  EXPECT_GT(red.height(), 45) << SaveScreenshot(image, "wayland-scale2");
  EXPECT_GT(SolidRedShare(image), 0.5) << SaveScreenshot(image, "wayland-scale2");
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
  ASSERT_FALSE(weston.WaitForWindow().second.empty()) << ReadFile(err);
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
  auto light = [](const Image& shot) {
    return std::count(shot.pixels.begin(), shot.pixels.end(), 0xF0F0F0U);
  };
  const Image image = CaptureUntil([&host] { return host.CaptureScreen(); },
                                   [&light](const Image& shot) { return light(shot) >= 5000; });
  EXPECT_GE(light(image), 5000) << ReadFile(err) << SaveScreenshot(image, "wayland-error-box");
  EXPECT_EQ(ReadFile(err), "Tarvel: run-time error in StepLabel: overflow\n");
  EXPECT_FALSE(tarvel.WaitFor(300ms)) << "ended before the box was dismissed";
  weston.PressKey(XK_Return);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(1)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "Tarvel: run-time error in StepLabel: overflow\n");
}

}  // namespace
}  // namespace display_test
