// What the user sees when something goes wrong: a clear line and a prompt end, never a hang,
// an invisible process or a crash.
#include <signal.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "display/harness.h"
#include "display/weston.h"
// clang-format off
#include <X11/Xutil.h>
// clang-format on

namespace display_test {
namespace {

constexpr const char* kLostLine =
    "Tarvel: lost the display: the display server closed the connection\n";

TEST(Faults, NoDisplayOrAWrongOneIsAClearErrorNotAnInvisibleRun) {
  for (const std::string display : {"DISPLAY", "DISPLAY=:9999"}) {
    const std::string err = TempPath("err");
    Child tarvel({TARVEL_EXE}, {display, "WAYLAND_DISPLAY"}, err);
    EXPECT_EQ(tarvel.WaitFor(10s), std::optional<int>(2)) << display;
    EXPECT_NE(ReadFile(err).find("Tarvel: cannot open a display: "), std::string::npos)
        << display << ": " << ReadFile(err);
    // Ours is the only line: nothing else complains first.
    EXPECT_EQ(ReadFile(err).rfind("Tarvel: cannot open a display: ", 0), 0U) << ReadFile(err);
  }
}

TEST(Faults, AWaylandSocketThatIsNotThereIsOneClearLine) {
  // Nothing but our line: not the client library's own complaints either.
  for (const std::vector<std::string>& env :
       {std::vector<std::string>{"WAYLAND_DISPLAY=no-such-socket", "XDG_RUNTIME_DIR=/tmp",
                                 "DISPLAY"},
        std::vector<std::string>{"WAYLAND_DISPLAY=wayland-7", "XDG_RUNTIME_DIR", "DISPLAY"}}) {
    const std::string err = TempPath("err");
    Child tarvel({TARVEL_EXE}, env, err);
    EXPECT_EQ(tarvel.WaitFor(10s), std::optional<int>(2)) << env.front();
    const std::string said = ReadFile(err);
    EXPECT_EQ(said.rfind("Tarvel: cannot open a display: ", 0), 0U) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
}

TEST(Faults, XServerDyingEndsItWithOneLineAndStatusTwo) {
  VirtualScreen screen;
  ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
  const std::string err = TempPath("err");
  Child tarvel({TARVEL_EXE}, X11Env(screen.name()), err);
  ASSERT_NE(screen.FindWindow("Form1", kPatience), 0U);
  screen.Kill();
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(2));
  EXPECT_EQ(ReadFile(err), kLostLine);
}

TEST(Faults, CompositorDyingEndsItWithOneLineAndStatusTwo) {
  // Whether or not a decoration plugin is installed, nothing but our line reaches stderr.
  for (const std::vector<std::string>& plugins : WithAndWithoutDecorationPlugins()) {
    const VirtualScreen host;
    ASSERT_TRUE(host.ok()) << "Xvfb did not start: " << host.Log();
    NestedWeston weston(host);
    ASSERT_TRUE(weston.ok()) << "weston did not start: " << weston.Log();
    const std::string err = TempPath("err");
    std::vector<std::string> env = weston.ClientEnv();
    env.insert(env.end(), plugins.begin(), plugins.end());
    Child tarvel({TARVEL_EXE}, env, err);
    // Running, not still starting: its window is up.
    ASSERT_FALSE(weston.WaitForWindow().second.empty()) << ReadFile(err);
    ASSERT_FALSE(tarvel.WaitFor(0ms)) << ReadFile(err);
    weston.Kill();
    EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(2)) << plugins.front();
    EXPECT_EQ(ReadFile(err), kLostLine) << plugins.front();
  }
}

TEST(Faults, NoUsableFontIsAClearErrorNamingWhatWasLookedFor) {
  const VirtualScreen screen;
  ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
  const std::string config = TempPath("fonts.conf");
  std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
  const std::string err = TempPath("err");
  std::vector<std::string> env = X11Env(screen.name());
  env.push_back("FONTCONFIG_FILE=" + config);
  Child tarvel({TARVEL_EXE}, env, err);
  EXPECT_EQ(tarvel.WaitFor(10s), std::optional<int>(2));
  EXPECT_NE(ReadFile(err).find("Tarvel: no usable font: looked for \"Sans Serif\""),
            std::string::npos)
      << ReadFile(err);
}

TEST(Faults, RunTimeErrorIsReportedInABoxAndEndsWithStatusOneOnceDismissed) {
  const VirtualScreen screen;
  ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
  const std::string err = TempPath("err");
  Child tarvel({TARVEL_FAULTY_EXE}, X11Env(screen.name()), err);
  const Window box = screen.FindWindow("Tarvel", kPatience);
  ASSERT_NE(box, 0U) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "Tarvel: run-time error in StepLabel: overflow\n");
  // Set over the form, and showing its message: dark ink on a light box.
  Window parent = 0;
  EXPECT_TRUE(XGetTransientForHint(screen.display(), box, &parent));
  EXPECT_EQ(parent, screen.FindWindow("Form1", 1s));
  const Image image = CaptureUntil([&] { return screen.Capture(box); },
                                   [](const Image& shot) { return DarkInk(shot) > 100; });
  EXPECT_GT(DarkInk(image), 100) << SaveScreenshot(image, "x11-error-box");
  EXPECT_EQ(image.At(2, 2), 0xF0F0F0U) << SaveScreenshot(image, "x11-error-box");
  EXPECT_FALSE(tarvel.WaitFor(300ms)) << "ended before the box was dismissed";
  screen.SendDeleteWindow(box);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(1));
}

}  // namespace
}  // namespace display_test
