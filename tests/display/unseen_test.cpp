// The built program while nobody can see its window: covered by another window on X11, taken off
// the output on Wayland. It should then hardly wake at all, and move on as before once seen.
#include <fstream>
#include <thread>

#include "display/harness.h"
#include "display/weston.h"

namespace display_test {
namespace {

// How many times process `pid` has blocked so far (each is a wake-up when it resumes).
long VoluntarySwitches(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
      return std::stol(line.substr(line.find(':') + 1));
    }
  }
  return -1;
}

// Whether process `pid` settles, within kPatience, to at most `per_second` wake-ups a second,
// measured over spans of `span`; the lowest rate seen goes to `lowest`.
bool SettlesToAtMost(pid_t pid, double per_second, double& lowest,
                     std::chrono::milliseconds span = 3s) {
  lowest = 1e9;
  for (const auto end = std::chrono::steady_clock::now() + kPatience;
       std::chrono::steady_clock::now() < end;) {
    const long before = VoluntarySwitches(pid);
    const auto from = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(span);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
    lowest = std::min(lowest, static_cast<double>(VoluntarySwitches(pid) - before) / seconds);
    if (lowest <= per_second) {
      return true;
    }
  }
  return false;
}

// Polls screenshots until the red text shows in a place other than `from`.
bool SeenMoving(const std::function<Image()>& capture, Image& last) {
  const Box from = BoundsOf(capture(), IsRed);
  last = CaptureUntil(capture, [&from](const Image& shot) {
    const Box red = BoundsOf(shot, IsRed);
    return !red.empty() && (from.empty() || red.left != from.left || red.top != from.top);
  });
  const Box red = BoundsOf(last, IsRed);
  return !red.empty() && (from.empty() || red.left != from.left || red.top != from.top);
}

TEST(Unseen, X11CoveredByAnotherWindowItHardlyWakesAndMovesOnOnceUncovered) {
  const VirtualScreen screen(800, 600);
  ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
  const std::string err = TempPath("err");
  Child tarvel({TARVEL_EXE}, X11Env(screen.name()), err);
  const Window form = screen.FindWindow("Form1", kPatience);
  ASSERT_NE(form, 0U) << ReadFile(err);
  Image image;
  ASSERT_TRUE(SeenMoving([&] { return screen.Capture(form); }, image))
      << SaveScreenshot(image, "x11-unseen-before");

  // A window of our own over the whole screen, left alone by any window manager.
  Display* display = screen.display();
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = WhitePixel(display, DefaultScreen(display));
  const Window cover =
      XCreateWindow(display, DefaultRootWindow(display), 0, 0, 800, 600, 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
  XMapRaised(display, cover);
  XSync(display, False);
  double lowest = 0;
  EXPECT_TRUE(SettlesToAtMost(tarvel.pid(), 2.0, lowest))
      << "covered, it still woke " << lowest << " times a second";

  XDestroyWindow(display, cover);
  XSync(display, False);
  EXPECT_TRUE(SeenMoving([&] { return screen.Capture(form); }, image))
      << SaveScreenshot(image, "x11-unseen-after");
  screen.SendDeleteWindow(form);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "");
}

TEST(Unseen, WaylandTakenOffTheOutputItHardlyWakesAndMovesOnOncePutBack) {
  const VirtualScreen host(1000, 700);
  ASSERT_TRUE(host.ok()) << "Xvfb did not start: " << host.Log();
  const NestedWeston weston(host);
  ASSERT_TRUE(weston.ok()) << "weston did not start: " << weston.Log();
  const std::string err = TempPath("err");
  Child tarvel({TARVEL_EXE}, weston.ClientEnv(), err);
  const auto [first, box] = weston.WaitForWindow();
  ASSERT_FALSE(box.empty()) << ReadFile(err) << SaveScreenshot(first, "wayland-unseen-first");
  const auto capture = [&host] { return host.CaptureScreen(); };

  // Nothing says it is hidden: the frame callbacks just stop.
  weston.HideOrShowTopmost();
  Image image = CaptureUntil(
      capture, [&weston](const Image& shot) { return weston.WindowBox(shot).empty(); });
  ASSERT_TRUE(weston.WindowBox(image).empty()) << SaveScreenshot(image, "wayland-unseen-hidden");
  double lowest = 0;
  EXPECT_TRUE(SettlesToAtMost(tarvel.pid(), 2.0, lowest))
      << "off the output, it still woke " << lowest << " times a second";

  weston.HideOrShowTopmost();
  EXPECT_TRUE(SeenMoving(capture, image)) << SaveScreenshot(image, "wayland-unseen-after");
  weston.CloseTopmost();
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0)) << ReadFile(err);
}

}  // namespace
}  // namespace display_test
