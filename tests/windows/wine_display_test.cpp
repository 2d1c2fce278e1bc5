// The Windows program under Wine, looked at from outside on the session's X server: its window
// and what it shows, the close command, a doubled DPI, a run-time error's box, the end of the
// session, and a platform failure's box. Wine shows each top-level window as an X window named
// after it, and turns the X close command into WM_CLOSE.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "display/harness.h"
#include "windows/wine_session.h"
// clang-format off
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on

namespace display_test {
namespace {

// Wine starts a program in a second or two once its session runs; a loaded machine may take
// many times that.
constexpr std::chrono::seconds kStartUp{60};
constexpr std::chrono::seconds kEnding{20};

bool IsBlackOrRed(std::uint32_t pixel) {
  return pixel == 0 || IsRed(pixel);
}

class WindowsDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session.ok()) << session.problem();
    screen = VirtualScreen::Attach(session.display());
    ASSERT_TRUE(screen && screen->ok()) << "cannot open " << session.display();
  }

  // The Windows executable the test was given in `variable`.
  static std::string Exe(const char* variable) { return FromEnvironment(variable); }

  // Starts a Windows program and waits for its window titled `title`.
  Window StartAndFind(const char* exe_variable, const std::string& title) {
    program = session.Start({Exe(exe_variable)}, err);
    return screen->FindWindow(title, kStartUp);
  }

  WineSession session = WineSession::FromEnvironment();
  std::unique_ptr<VirtualScreen> screen;
  std::string err = TempPath("err");
  std::unique_ptr<Child> program;
};

TEST_F(WindowsDisplay, BorderlessCentredWindowShowsMovingRedTextAndClosesWithStatusZero) {
  const Window window = StartAndFind("TARVEL_EXE", "Form1");
  ASSERT_NE(window, 0U) << ReadFile(err);
  Display* display = screen->display();
  XWindowAttributes attributes;
  XGetWindowAttributes(display, window, &attributes);
  EXPECT_EQ(attributes.width, 312);
  EXPECT_EQ(attributes.height, 213);
  // Centred on the primary monitor's work area: without a taskbar, the whole 1280 x 800 screen.
  int x = 0;
  int y = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  EXPECT_EQ(x, (1280 - 312) / 2);
  EXPECT_EQ(y, (800 - 213) / 2);
  EXPECT_EQ(Decorations(display, window), 0);

  const auto capture = [&] { return screen->Capture(window); };
  Image image =
      CaptureUntil(capture, [](const Image& shot) { return !BoundsOf(shot, IsRed).empty(); });
  const Box first = BoundsOf(image, IsRed);
  ASSERT_FALSE(first.empty()) << SaveScreenshot(image, "windows-window");
  EXPECT_TRUE(std::all_of(image.pixels.begin(), image.pixels.end(), IsBlackOrRed))
      << SaveScreenshot(image, "windows-window");
  EXPECT_LE(first.height(), 45) << SaveScreenshot(image, "windows-window");
  // It moves: the red text shows somewhere else.
  image = CaptureUntil(capture, [&first](const Image& shot) {
    const Box red = BoundsOf(shot, IsRed);
    return !red.empty() && (red.left != first.left || red.top != first.top);
  });
  const Box later = BoundsOf(image, IsRed);
  EXPECT_FALSE(later.empty()) << SaveScreenshot(image, "windows-moved");
  EXPECT_TRUE(later.left != first.left || later.top != first.top)
      << SaveScreenshot(image, "windows-moved");

  screen->SendDeleteWindow(window);
  EXPECT_EQ(program->WaitFor(kEnding), std::optional<int>(0)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "");
}

// Wine's DPI, set for the test and put back after it, whatever happens.
class WineDpi {
 public:
  WineDpi(const WineSession& session, int dpi) : session_(session) { Set(dpi); }
  ~WineDpi() { Set(96); }
  WineDpi(const WineDpi&) = delete;
  WineDpi& operator=(const WineDpi&) = delete;
  bool ok() const { return ok_; }

 private:
  void Set(int dpi) {
    ok_ = session_.Run({"reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t",
                        "REG_DWORD", "/d", std::to_string(dpi), "/f"}) == std::optional<int>(0);
  }
  const WineSession& session_;
  bool ok_ = false;
};

TEST_F(WindowsDisplay, DoubledDpiDoublesTheWindowAndDrawsItsTextCrisp) {
  const WineDpi dpi(session, 192);
  ASSERT_TRUE(dpi.ok()) << "could not set Wine's LogPixels";
  const Window window = StartAndFind("TARVEL_EXE", "Form1");
  ASSERT_NE(window, 0U) << ReadFile(err);
  XWindowAttributes attributes;
  XGetWindowAttributes(screen->display(), window, &attributes);
  EXPECT_EQ(attributes.width, 624);
  EXPECT_EQ(attributes.height, 426);
  // The text laid out at 64 px is well over 45 px tall, and mostly solid red: an upscaled
  // 32 px rendering would be smeared into half-tones. Measured on a frame where none of it is
  // cut off by an edge.
  const Box whole{0, 0, attributes.width - 1, attributes.height - 1};
  const Image image = CaptureUntil(
      [&] { return screen->Capture(window); },
      [&whole](const Image& shot) { return WhollyInside(BoundsOf(shot, IsRed), whole); });
  const Box red = BoundsOf(image, IsRed);
  EXPECT_TRUE(WhollyInside(red, whole)) << SaveScreenshot(image, "windows-dpi192");
  EXPECT_GT(red.height(), 45) << SaveScreenshot(image, "windows-dpi192");
  EXPECT_GT(SolidRedShare(image), 0.5) << SaveScreenshot(image, "windows-dpi192");
  screen->SendDeleteWindow(window);
  EXPECT_EQ(program->WaitFor(kEnding), std::optional<int>(0)) << ReadFile(err);
}

TEST_F(WindowsDisplay, RunTimeErrorShowsTheBoxWhichEnterDismissesWithStatusOne) {
  const Window box = StartAndFind("TARVEL_FAULTY_EXE", "Tarvel");
  ASSERT_NE(box, 0U) << ReadFile(err);
  // Written in text mode, which ends a line with CR LF on Windows.
  EXPECT_EQ(ReadFile(err), "Tarvel: run-time error in StepLabel: overflow\r\n");
  // Owned by the form, as Wine tells the X server.
  Window parent = 0;
  EXPECT_TRUE(XGetTransientForHint(screen->display(), box, &parent));
  EXPECT_EQ(parent, screen->FindWindow("Form1", kStartUp));
  const Image image = CaptureUntil([&] { return screen->Capture(box); },
                                   [](const Image& shot) { return DarkInk(shot) > 100; });
  EXPECT_GT(DarkInk(image), 100) << SaveScreenshot(image, "windows-error-box");
  EXPECT_FALSE(program->WaitFor(300ms)) << "ended before the box was dismissed";
  SendKey(screen->display(), box, XK_Return);
  EXPECT_EQ(program->WaitFor(kEnding), std::optional<int>(1)) << ReadFile(err);
}

TEST_F(WindowsDisplay, EndingTheSessionEndsItWithStatusZero) {
  ASSERT_NE(StartAndFind("TARVEL_EXE", "Form1"), 0U) << ReadFile(err);
  EXPECT_EQ(session.Run({Exe("TARVEL_END_SESSION_EXE")}), std::optional<int>(0));
  EXPECT_EQ(program->WaitFor(kEnding), std::optional<int>(0)) << ReadFile(err);
}

// How many times process `pid` has blocked so far: under Wine, the Windows program's main thread.
long VoluntarySwitches(pid_t pid) {
  const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
  const auto at = status.find("voluntary_ctxt_switches:");
  return at == std::string::npos ? -1 : std::stol(status.substr(at + 24));
}

// The lowest rate of wake-ups a second of `pid` over spans of 3 s, measured until it is at most
// `limit` or kStartUp has passed.
double LowestWakeRate(pid_t pid, double limit) {
  double lowest = 1e9;
  for (const auto end = std::chrono::steady_clock::now() + kStartUp;
       lowest > limit && std::chrono::steady_clock::now() < end;) {
    const long before = VoluntarySwitches(pid);
    const auto from = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(3s);
    const double span =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
    lowest = std::min(lowest, static_cast<double>(VoluntarySwitches(pid) - before) / span);
  }
  return lowest;
}

TEST_F(WindowsDisplay, MinimisedItHardlyWakesAndRestoredItMovesOn) {
  const Window form = StartAndFind("TARVEL_EXE", "Form1");
  ASSERT_NE(form, 0U) << ReadFile(err);
  ASSERT_EQ(session.Run({Exe("TARVEL_SHOW_WINDOW_EXE"), "minimize"}), std::optional<int>(0));
  // Each wait under Wine is a few round trips to its server: a wake-up a second costs a few.
  const double lowest = LowestWakeRate(program->pid(), 8.0);
  EXPECT_LE(lowest, 8.0) << "minimised, it still woke " << lowest << " times a second";
  ASSERT_EQ(session.Run({Exe("TARVEL_SHOW_WINDOW_EXE"), "restore"}), std::optional<int>(0));
  const Box from = BoundsOf(screen->Capture(form), IsRed);
  const Image moved = CaptureUntil([&] { return screen->Capture(form); },
                                   [&from](const Image& shot) {
                                     const Box red = BoundsOf(shot, IsRed);
                                     return !red.empty() && red.left != from.left;
                                   });
  EXPECT_NE(BoundsOf(moved, IsRed).left, from.left) << SaveScreenshot(moved, "windows-restored");
  screen->SendDeleteWindow(form);
  EXPECT_EQ(program->WaitFor(kEnding), std::optional<int>(0)) << ReadFile(err);
}

TEST_F(WindowsDisplay, PlatformFailureIsShownInABoxAndEndsWithStatusTwo) {
  // A program started from the Start menu has no console: the failure must show on screen.
  const Window box = StartAndFind("TARVEL_FAILURE_EXE", "Tarvel");
  ASSERT_NE(box, 0U) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "Tarvel: cannot make a window: refused for this test\r\n");
  EXPECT_FALSE(program->WaitFor(300ms)) << "ended before the box was dismissed";
  SendKey(screen->display(), box, XK_Return);
  EXPECT_EQ(program->WaitFor(kEnding), std::optional<int>(2)) << ReadFile(err);
}

}  // namespace
}  // namespace display_test
