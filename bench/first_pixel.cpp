// Launches a program on the X display of the environment and reports, from outside, how long
// it took from the launch to the first red pixel of its window on the server.
//
//   tarvel_first_pixel PROGRAM
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

using Steady = std::chrono::steady_clock;

bool HasRed(Display* display, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) {
    return false;
  }
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) {
    return false;
  }
  bool red = false;
  for (int y = 0; y < attributes.height && !red; ++y) {
    for (int x = 0; x < attributes.width && !red; ++x) {
      red = (XGetPixel(image, x, y) & 0xFFFFFF) == 0xFF0000;
    }
  }
  XDestroyImage(image);
  return red;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PROGRAM\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
    return 2;
  }
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  const Steady::time_point launched = Steady::now();
  const pid_t child = fork();
  if (child == 0) {
    execl(argv[1], argv[1], nullptr);
    _exit(127);
  }
  Window window = 0;
  while (!window) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify) {
      window = event.xmap.window;
    }
  }
  const auto limit = launched + std::chrono::seconds(5);
  while (!HasRed(display, window) && Steady::now() < limit) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  const double ms = std::chrono::duration<double, std::milli>(Steady::now() - launched).count();
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  XCloseDisplay(display);
  std::printf("%.1f ms\n", ms);
  return 0;
}
