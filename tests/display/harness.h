// Running the built program against real display servers and looking at it from outside.
// Its child processes are in processes.cpp, its looks at screenshots in screenshots.cpp, and
// its X server and the requests made of it in virtual_screen.cpp.
#pragma once

// GoogleTest comes before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace display_test {

using namespace std::chrono_literals;

std::string ReadFile(const std::string& path);
// A fresh path in the temporary folder for `what` (stderr captures, logs).
std::string TempPath(const std::string& what);

// A child process, stopped (SIGTERM, then SIGKILL) and reaped when it goes out of scope.
class Child {
 public:
  // Runs `argv` with `env` changes ("NAME=value" sets, "NAME" unsets), stderr to `err_path`,
  // keeping `keep_fd` open in the child.
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
        const std::string& err_path = "/dev/null", int keep_fd = -1);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  // The exit status if the child ended within `limit` (-N when signal N ended it). The limit
  // only guards against hangs.
  std::optional<int> WaitFor(std::chrono::milliseconds limit);

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct Box {
  int left = 0;
  int top = 0;
  int right = -1;  // inclusive; right < left when nothing was found
  int bottom = -1;
  bool empty() const { return right < left; }
  int width() const { return right - left + 1; }
  int height() const { return bottom - top + 1; }
};

// Red text pixels: red lit, green and blue dark.
bool IsRed(std::uint32_t pixel);
// The bounding box of the pixels of `image` for which `match` holds.
Box BoundsOf(const Image& image, bool (*match)(std::uint32_t));

// How long a display test waits for what it checks before it gives up: long enough for a busy
// machine (valgrind, a loaded core), and only ever spent in full when the check fails.
inline constexpr std::chrono::seconds kPatience{20};

// Takes screenshots with `capture` until `done` holds for one, or `limit` passes; returns the
// last one taken, for the test's assertions. A single screenshot at a fixed moment proves
// little: at each wrap the label is out of sight for a frame, and before it the label's ink
// may lie past the right edge.
Image CaptureUntil(const std::function<Image()>& capture,
                   const std::function<bool(const Image&)>& done,
                   std::chrono::milliseconds limit = kPatience);

// How many pixels are dark (each of red, green and blue below half): an error box's ink.
long DarkInk(const Image& image);

// The share of the red text's pixels that are solid red (0xFF0000), not half-tones: text laid
// out at its size is mostly solid, an upscaled rendering smeared. 0 without red.
double SolidRedShare(const Image& image);

// Whether `box` lies wholly inside `within`, touching none of its edges: only then is none of
// the label's ink cut off.
bool WhollyInside(const Box& box, const Box& within);

// Writes `image` as a PNG (PPM where ImageMagick is missing) into the build's screenshot folder
// and returns the path, so a failing run leaves a picture behind.
std::string SaveScreenshot(const Image& image, const std::string& name);

// An Xvfb server of its own, on a display number it picks itself. X errors on its connection
// (asking about a window that has just gone) are ignored rather than ending the test.
class VirtualScreen {
 public:
  // `options` go to Xvfb as they are (e.g. "-extension", "MIT-SHM" to turn an extension off).
  explicit VirtualScreen(int width = 800, int height = 600,
                         const std::vector<std::string>& options = {});
  // An X server someone else runs, on display `name` (":N").
  static std::unique_ptr<VirtualScreen> Attach(const std::string& name);
  ~VirtualScreen();
  VirtualScreen(const VirtualScreen&) = delete;
  VirtualScreen& operator=(const VirtualScreen&) = delete;

  bool ok() const { return display_ != nullptr; }
  Display* display() const { return display_; }
  const std::string& name() const { return name_; }
  std::string Log() const { return ReadFile(log_); }
  // Kills the server outright, as a crash would.
  void Kill();

  // The top-level windows that are mapped (shown).
  std::vector<Window> MappedTopLevels() const;
  // The mapped top-level window titled `title`, waiting up to `limit`; 0 if none.
  Window FindWindow(const std::string& title, std::chrono::milliseconds limit) const;
  Image Capture(Window window) const;
  Image CaptureScreen() const { return Capture(DefaultRootWindow(display_)); }
  void SendDeleteWindow(Window window) const;
  // Loads X resources, as xrdb does (e.g. "Xft.dpi:\t192\n").
  void SetResources(const std::string& resources) const;

 private:
  struct Attached {};
  explicit VirtualScreen(Attached /*tag*/) {}

  std::string log_ = TempPath("xvfb.log");
  std::unique_ptr<Child> server_;  // null when attached to someone else's
  std::string name_;
  Display* display_ = nullptr;
};

// Sends a key press and release to `window`, as the server would deliver them (but marked as
// sent by a client).
void SendKey(Display* display, Window window, unsigned long keysym);

// The 32-bit items of the window's property `name`, up to `limit` of them; empty if missing.
std::vector<long> Property32(Display* display, Window window, const char* name, long limit);
// The window's _MOTIF_WM_HINTS decorations field, or -1 if the property or field is missing.
long Decorations(Display* display, Window window);

// Environment changes that put the program on X display `name` and nothing else.
std::vector<std::string> X11Env(const std::string& name);

}  // namespace display_test
