// The built program on a real X server (Xvfb), looked at from outside as a user would see it.
// GoogleTest comes first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A child process, killed and reaped when it goes out of scope.
class Child {
 public:
  // Runs `argv` with `env_changes` ("NAME=value" sets, "NAME" unsets) and stderr to `err_path`.
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env_changes,
        const std::string& err_path = "/dev/null", int keep_fd = -1) {
    pid_ = fork();
    if (pid_ == 0) {
      for (const std::string& change : env_changes) {
        const auto eq = change.find('=');
        if (eq == std::string::npos) {
          unsetenv(change.c_str());
        } else {
          setenv(change.substr(0, eq).c_str(), change.substr(eq + 1).c_str(), 1);
        }
      }
      const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(err, 2);
      const int null = open("/dev/null", O_RDWR);
      dup2(null, 0);
      dup2(null, 1);
      for (int fd = 3; fd < 256; ++fd) {
        if (fd != keep_fd) {
          close(fd);
        }
      }
      std::vector<char*> args;
      for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
      }
      args.push_back(nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
  }
  ~Child() {
    if (pid_ > 0 && !status_) {
      // Politely first, so an X server removes its lock file and socket.
      kill(pid_, SIGTERM);
      if (!WaitFor(2s)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }

  // The exit status once the child has ended within `limit` (a hang guard, not a speed test);
  // -signal if a signal ended it.
  std::optional<int> WaitFor(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!status_) {
      int raw = 0;
      if (waitpid(pid_, &raw, WNOHANG) == pid_) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
      } else if (Clock::now() >= end) {
        break;
      } else {
        std::this_thread::sleep_for(5ms);
      }
    }
    return status_;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// An Xvfb server of its own, on a display number it picks itself.
class VirtualScreen {
 public:
  VirtualScreen() {
    int fds[2];
    if (pipe(fds) != 0) {
      return;
    }
    server_ = std::make_unique<Child>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                 "800x600x24", "-noreset", "-nolisten", "tcp"},
        std::vector<std::string>{}, log_, fds[1]);
    close(fds[1]);
    // Xvfb writes the display number, then a newline in a write of its own: read up to the
    // newline, or it fails writing to a closed pipe.
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') {
      number.push_back(c);
    }
    close(fds[0]);
    if (!number.empty()) {
      name_ = ":" + number;
      display_ = XOpenDisplay(name_.c_str());
    }
    if (display_) {
      // SDL only marks a window borderless through this atom when it already exists.
      XInternAtom(display_, "_MOTIF_WM_HINTS", False);
      XSync(display_, False);
    }
  }
  ~VirtualScreen() {
    if (display_) {
      XCloseDisplay(display_);
    }
  }
  VirtualScreen(const VirtualScreen&) = delete;
  VirtualScreen& operator=(const VirtualScreen&) = delete;

  Display* display() const { return display_; }
  std::string Log() const { return ReadFile(log_); }
  const std::string& name() const { return name_; }

  // The mapped top-level window titled `title`, waiting up to `limit` for it.
  Window FindWindow(const std::string& title, std::chrono::milliseconds limit) const {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
      Window root = 0;
      Window parent = 0;
      Window* children = nullptr;
      unsigned count = 0;
      XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
      Window found = 0;
      for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display_, children[i], &name) && name && title == name &&
            XGetWindowAttributes(display_, children[i], &attributes) &&
            attributes.map_state == IsViewable) {
          found = children[i];
        }
        XFree(name);
      }
      XFree(children);
      if (found) {
        return found;
      }
      std::this_thread::sleep_for(20ms);
    }
    return 0;
  }

  // How many pixels of `window` are pure-hued red (green and blue zero, red non-zero).
  int RedPixels(Window window) const {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, window, &attributes);
    XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) {
      return -1;
    }
    int red = 0;
    for (int y = 0; y < attributes.height; ++y) {
      for (int x = 0; x < attributes.width; ++x) {
        const unsigned long pixel = XGetPixel(image, x, y);
        if ((pixel & 0xFF0000) != 0 && (pixel & 0x00FFFF) == 0) {
          ++red;
        }
      }
    }
    XDestroyImage(image);
    return red;
  }

  void SendDeleteWindow(Window window) const {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XFlush(display_);
  }

 private:
  std::string log_ = (std::filesystem::temp_directory_path() /
                      ("tarvel-xvfb-" + std::to_string(getpid()) + ".log"))
                         .string();
  std::unique_ptr<Child> server_;
  std::string name_;
  Display* display_ = nullptr;
};

std::string ErrPath(const char* test) {
  std::string name = "tarvel-";
  name += test;
  name += ".err";
  return (std::filesystem::temp_directory_path() / name).string();
}

TEST(RealDisplay, OpensTheDesignSizedWindowPaintsRedAndClosesWithStatusZero) {
  const VirtualScreen screen;
  ASSERT_NE(screen.display(), nullptr) << "Xvfb did not start: " << screen.Log();
  const std::string err = ErrPath("close");
  Child tarvel({TARVEL_EXE}, {"DISPLAY=" + screen.name(), "WAYLAND_DISPLAY"}, err);
  const Window window = screen.FindWindow("Form1", 10s);
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
  EXPECT_EQ(x, (800 - 312) / 2);  // centred on the 800 x 600 screen
  EXPECT_EQ(y, (600 - 213) / 2);
  int red = 0;
  for (const auto end = Clock::now() + 5s; red <= 0 && Clock::now() < end;) {
    red = screen.RedPixels(window);
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_GT(red, 50);

  screen.SendDeleteWindow(window);
  EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0)) << ReadFile(err);
  EXPECT_EQ(ReadFile(err), "");
}

TEST(RealDisplay, RunsOnOneThreadAndTerminateOrInterruptEndsItWithStatusZero) {
  for (const int signal : {SIGTERM, SIGINT}) {
    const VirtualScreen screen;
    ASSERT_NE(screen.display(), nullptr) << "Xvfb did not start: " << screen.Log();
    Child tarvel({TARVEL_EXE}, {"DISPLAY=" + screen.name(), "WAYLAND_DISPLAY"});
    ASSERT_NE(screen.FindWindow("Form1", 10s), 0U);
    // The whole program runs on one thread on X11.
    const std::filesystem::path tasks = "/proc/" + std::to_string(tarvel.pid()) + "/task";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tasks),
                            std::filesystem::directory_iterator()),
              1);
    kill(tarvel.pid(), signal);
    EXPECT_EQ(tarvel.WaitFor(2s), std::optional<int>(0)) << "signal " << signal;
  }
}

TEST(RealDisplay, NoDisplayIsAClearErrorNotAnInvisibleRun) {
  for (const std::string& display : {std::string("DISPLAY"), std::string("DISPLAY=:9999")}) {
    const std::string err = ErrPath("nodisplay");
    Child tarvel({TARVEL_EXE}, {display, "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}, err);
    EXPECT_EQ(tarvel.WaitFor(10s), std::optional<int>(2)) << display;
    // The Wayland client library may say its own word first; ours is the last line.
    EXPECT_NE(ReadFile(err).find("Tarvel: cannot open a display: "), std::string::npos)
        << display << ": " << ReadFile(err);
  }
}

TEST(RealDisplay, OffscreenDriverIsRefused) {
  const std::string err = ErrPath("offscreen");
  Child tarvel({TARVEL_EXE}, {"SDL_VIDEODRIVER=offscreen"}, err);
  EXPECT_EQ(tarvel.WaitFor(10s), std::optional<int>(2));
  EXPECT_EQ(ReadFile(err).rfind("Tarvel: cannot open a display", 0), 0U) << ReadFile(err);
}

}  // namespace
