// The built program on an X server: what the window is, what it shows, how it ends.
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "display/harness.h"
// clang-format off
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on

namespace display_test {
namespace {

bool IsBlack(std::uint32_t pixel) {
  return pixel == 0;
}

// The window's WM_CLASS class name.
std::string ClassOf(Display* display, Window window) {
  XClassHint hint{};
  std::string name;
  if (XGetClassHint(display, window, &hint)) {
    name = hint.res_class ? hint.res_class : "";
    XFree(hint.res_name);
    XFree(hint.res_class);
  }
  return name;
}

// The window's _NET_WM_ICON: width, height, then ARGB pixels, for each image it offers.
std::vector<long> IconOf(Display* display, Window window) {
  return Property32(display, window, "_NET_WM_ICON", 1 << 16);
}

// The window's 8-bit text property `name` (of any type), or "" if missing.
std::string Property8(Display* display, Window window, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, True), 0, 1024, False,
                         AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
      data && format == 8) {
    text.assign(reinterpret_cast<const char*>(data), count);
  }
  XFree(data);
  return text;
}

TEST(X11, WindowIsBorderlessBlackCentredWithRedTextAndClosesWithStatusZero) {
  const VirtualScreen screen(1000, 700);
  ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
  const std::string err = TempPath("err");
  Child tarvel({TARVEL_EXE}, X11Env(screen.name()), err);
  const Window window = screen.FindWindow("Form1", kPatience);
  ASSERT_NE(window, 0U) << ReadFile(err);

  XWindowAttributes attributes;
  XGetWindowAttributes(screen.display(), window, &attributes);
  EXPECT_EQ(attributes.width, 312);
  EXPECT_EQ(attributes.height, 213);
  int x = 0;
  int y = 0;
  Window child = 0;
  XTranslateCoordinates(screen.display(), window, DefaultRootWindow(screen.display()), 0, 0, &x, &y,
                        &child);
  EXPECT_EQ(x, (1000 - 312) / 2);
  EXPECT_EQ(y, (700 - 213) / 2);
  EXPECT_EQ(Decorations(screen.display(), window), 0);
  EXPECT_EQ(Property8(screen.display(), window, "_NET_WM_NAME"), "Form1");
  // Its pixels are shared with the server (MIT-SHM), not sent over the socket.
  EXPECT_NE(ReadFile("/proc/" + std::to_string(tarvel.pid()) + "/maps").find("tarvel-pixels"),
            std::string::npos);
  const std::vector<long> pid = Property32(screen.display(), window, "_NET_WM_PID", 1);
  ASSERT_EQ(pid.size(), 1U);
  EXPECT_EQ(pid[0], tarvel.pid());
  EXPECT_EQ(ClassOf(screen.display(), window), "tarvel");  // matches the desktop entry
  const std::vector<long> icon = IconOf(screen.display(), window);
  ASSERT_GE(icon.size(), 2U + 32 * 32);
  EXPECT_EQ(icon[0], 32);
  EXPECT_EQ(icon[1], 32);
  EXPECT_NE(std::find(icon.begin() + 2, icon.end(), 0xFF00FFFFL), icon.end()) << "no cyan";

  // Once the text shows, every pixel is either black or the red of the text.
  const Image image =
      CaptureUntil([&] { return screen.Capture(window); },
                   [](const Image& shot) { return !BoundsOf(shot, IsRed).empty(); });
  const Box red = BoundsOf(image, IsRed);
  int other = 0;
  for (const std::uint32_t pixel : image.pixels) {
    other += !IsBlack(pixel) && !IsRed(pixel);
  }
  EXPECT_FALSE(red.empty()) << SaveScreenshot(image, "x11-window");
  EXPECT_LE(red.height(), 38) << SaveScreenshot(image, "x11-window");
  EXPECT_EQ(other, 0) << SaveScreenshot(image, "x11-window");

  screen.SendDeleteWindow(window);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "");
}

TEST(X11, LabelTravelsRightThenWrapsToANewHeight) {
  const VirtualScreen screen;
  ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
  Child tarvel({TARVEL_EXE}, X11Env(screen.name()));
  const Window window = screen.FindWindow("Form1", kPatience);
  ASSERT_NE(window, 0U);
  // One crossing takes 47 ticks, under a second at 60 frames a second.
  int rightward = 0;
  int wraps = 0;
  bool top_changed = false;
  Box last;
  Image image;
  for (const auto end = std::chrono::steady_clock::now() + kPatience;
       (rightward < 3 || !top_changed) && std::chrono::steady_clock::now() < end;) {
    image = screen.Capture(window);
    const Box now = BoundsOf(image, IsRed);
    // Only a label wholly inside the window tells where it is.
    if (!now.empty() && now.left > 0 && now.right < 311 && !last.empty()) {
      rightward += now.left > last.left;
      if (now.left < last.left) {
        ++wraps;
        top_changed = top_changed || now.top != last.top;
      }
    }
    if (!now.empty() && now.left > 0 && now.right < 311) {
      last = now;
    }
    std::this_thread::sleep_for(30ms);
  }
  EXPECT_GE(rightward, 3) << SaveScreenshot(image, "x11-travel");
  EXPECT_GE(wraps, 1) << SaveScreenshot(image, "x11-travel");
  EXPECT_TRUE(top_changed) << SaveScreenshot(image, "x11-travel");
}

TEST(X11, DoubledXftDpiDoublesTheWindowAndItsText) {
  const VirtualScreen screen(1200, 900);
  ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
  screen.SetResources("Xft.dpi:\t192\n");
  Child tarvel({TARVEL_EXE}, X11Env(screen.name()));
  const Window window = screen.FindWindow("Form1", kPatience);
  ASSERT_NE(window, 0U);
  XWindowAttributes attributes;
  XGetWindowAttributes(screen.display(), window, &attributes);
  EXPECT_EQ(attributes.width, 624);
  EXPECT_EQ(attributes.height, 426);
  // The face's ink at 64 pixels is well over 38 pixels tall, its height at 96 DPI; measured on a
  // frame where none of it is cut off by an edge.
  const Box whole{0, 0, 623, 425};
  const Image image = CaptureUntil(
      [&] { return screen.Capture(window); },
      [&whole](const Image& shot) { return WhollyInside(BoundsOf(shot, IsRed), whole); });
  const Box red = BoundsOf(image, IsRed);
  EXPECT_TRUE(WhollyInside(red, whole)) << SaveScreenshot(image, "x11-hidpi");
  EXPECT_GT(red.height(), 45) << SaveScreenshot(image, "x11-hidpi");
}

TEST(X11, RunsOnOneThreadAndTerminateOrInterruptEndsItWithStatusZero) {
  for (const int signal : {SIGTERM, SIGINT}) {
    const VirtualScreen screen;
    ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
    Child tarvel({TARVEL_EXE}, X11Env(screen.name()));
    ASSERT_NE(screen.FindWindow("Form1", kPatience), 0U);
    const std::filesystem::path tasks = "/proc/" + std::to_string(tarvel.pid()) + "/task";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tasks),
                            std::filesystem::directory_iterator()),
              1);
    kill(tarvel.pid(), signal);
    EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0)) << "signal " << signal;
  }
}

// Sends a click to `window`, as the server would deliver one (but marked as sent).
void SendClick(Display* display, Window window, int x, int y) {
  XEvent event{};
  event.xbutton.type = ButtonPress;
  event.xbutton.display = display;
  event.xbutton.window = window;
  event.xbutton.root = DefaultRootWindow(display);
  event.xbutton.same_screen = True;
  event.xbutton.button = Button1;
  event.xbutton.x = x;
  event.xbutton.y = y;
  XSendEvent(display, window, False, ButtonPressMask, &event);
  event.xbutton.type = ButtonRelease;
  XSendEvent(display, window, False, ButtonReleaseMask, &event);
  XFlush(display);
}

struct BoxAnswer {
  const char* name;
  void (*answer)(Display*, Window);
};

class X11ErrorBox : public ::testing::TestWithParam<BoxAnswer> {};

TEST_P(X11ErrorBox, IsADialogOverTheFormDismissedWithStatusOne) {
  const VirtualScreen screen;
  ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
  const std::string err = TempPath("err");
  Child tarvel({TARVEL_FAULTY_EXE}, X11Env(screen.name()), err);
  const Window box = screen.FindWindow("Tarvel", kPatience);
  ASSERT_NE(box, 0U) << ReadFile(err);
  const std::vector<long> type = Property32(screen.display(), box, "_NET_WM_WINDOW_TYPE", 4);
  ASSERT_FALSE(type.empty());
  EXPECT_EQ(static_cast<Atom>(type[0]),
            XInternAtom(screen.display(), "_NET_WM_WINDOW_TYPE_DIALOG", False));
  // Another key and a click beside the button do nothing.
  SendKey(screen.display(), box, XK_a);
  SendClick(screen.display(), box, 3, 3);
  EXPECT_FALSE(tarvel.WaitFor(300ms)) << "ended before the box was dismissed";
  GetParam().answer(screen.display(), box);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(1)) << ReadFile(err);
}

INSTANTIATE_TEST_SUITE_P(
    EachAnswer, X11ErrorBox,
    ::testing::Values(BoxAnswer{"Enter", [](Display* d, Window w) { SendKey(d, w, XK_Return); }},
                      BoxAnswer{"Escape", [](Display* d, Window w) { SendKey(d, w, XK_Escape); }},
                      BoxAnswer{"Space", [](Display* d, Window w) { SendKey(d, w, XK_space); }},
                      BoxAnswer{"ClickOnOk",
                                [](Display* d, Window w) {
                                  // OK sits at the bottom right, 16 pixels in from both edges, 88
                                  // x 28.
                                  XWindowAttributes attributes;
                                  XGetWindowAttributes(d, w, &attributes);
                                  SendClick(d, w, attributes.width - 16 - 44,
                                            attributes.height - 16 - 14);
                                }}),
    [](const ::testing::TestParamInfo<BoxAnswer>& info) { return std::string(info.param.name); });

TEST(X11, WithoutSharedMemoryThePixelsGoOverTheWire) {
  // As on a remote display: a server without MIT-SHM.
  const VirtualScreen screen(800, 600, {"-extension", "MIT-SHM"});
  ASSERT_TRUE(screen.ok()) << "Xvfb did not start: " << screen.Log();
  Child tarvel({TARVEL_EXE}, X11Env(screen.name()));
  const Window window = screen.FindWindow("Form1", kPatience);
  ASSERT_NE(window, 0U);
  const auto capture = [&] { return screen.Capture(window); };
  Image image =
      CaptureUntil(capture, [](const Image& shot) { return !BoundsOf(shot, IsRed).empty(); });
  const Box first = BoundsOf(image, IsRed);
  ASSERT_FALSE(first.empty()) << SaveScreenshot(image, "x11-no-shm");
  // It moves: the text shows somewhere else.
  image = CaptureUntil(capture, [&first](const Image& shot) {
    const Box red = BoundsOf(shot, IsRed);
    return !red.empty() && red.left != first.left;
  });
  const Box later = BoundsOf(image, IsRed);
  EXPECT_FALSE(later.empty()) << SaveScreenshot(image, "x11-no-shm");
  EXPECT_NE(later.left, first.left) << SaveScreenshot(image, "x11-no-shm");
  EXPECT_EQ(ReadFile("/proc/" + std::to_string(tarvel.pid()) + "/maps").find("tarvel-pixels"),
            std::string::npos);
  kill(tarvel.pid(), SIGTERM);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0));
}

}  // namespace
}  // namespace display_test
