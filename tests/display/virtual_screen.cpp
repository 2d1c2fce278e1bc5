// An Xvfb server of the display tests' own (or one someone else runs), and what they ask of
// it through Xlib: its windows, their pixels and properties, and events sent to them.
#include "display/harness.h"

// clang-format off
#include <X11/Xatom.h>
#include <X11/Xutil.h>
// clang-format on
#include <unistd.h>

#include <csignal>
#include <thread>

namespace display_test {

using Clock = std::chrono::steady_clock;

namespace {

// Xlib's own handler ends the process on any error. A window may go between being listed and
// being asked about; that is the program's business, not a failure of the test.
int IgnoreXError(Display* /*display*/, XErrorEvent* /*error*/) {
  return 0;
}

}  // namespace

VirtualScreen::VirtualScreen(int width, int height, const std::vector<std::string>& options) {
  XSetErrorHandler(IgnoreXError);
  int fds[2];
  if (pipe(fds) != 0) {
    return;
  }
  std::vector<std::string> argv{
      "Xvfb",     "-displayfd", std::to_string(fds[1]),
      "-screen",  "0",          std::to_string(width) + "x" + std::to_string(height) + "x24",
      "-noreset", "-nolisten",  "tcp"};
  argv.insert(argv.end(), options.begin(), options.end());
  server_ = std::make_unique<Child>(argv, std::vector<std::string>{}, log_, fds[1]);
  close(fds[1]);
  // Xvfb writes the display number, then the newline in a write of its own: read up to the
  // newline, or it fails writing to a closed pipe.
  std::string number;
  char c = 0;
  while (read(fds[0], &c, 1) == 1 && c != '\n') {
    number.push_back(c);
  }
  close(fds[0]);
  if (number.empty()) {
    return;
  }
  name_ = ":" + number;
  display_ = XOpenDisplay(name_.c_str());
}

std::unique_ptr<VirtualScreen> VirtualScreen::Attach(const std::string& name) {
  XSetErrorHandler(IgnoreXError);
  std::unique_ptr<VirtualScreen> screen(new VirtualScreen(Attached{}));
  screen->name_ = name;
  screen->display_ = XOpenDisplay(name.c_str());
  return screen;
}

VirtualScreen::~VirtualScreen() {
  if (display_) {
    XCloseDisplay(display_);
  }
}

void VirtualScreen::Kill() {
  if (display_) {
    XCloseDisplay(display_);
    display_ = nullptr;
  }
  if (server_) {
    kill(server_->pid(), SIGKILL);
    server_->WaitFor(5s);
  }
}

std::vector<Window> VirtualScreen::MappedTopLevels() const {
  Display* display = display_;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  std::vector<Window> mapped;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, children[i], &attributes) &&
        attributes.map_state == IsViewable) {
      mapped.push_back(children[i]);
    }
  }
  XFree(children);
  return mapped;
}

Window VirtualScreen::FindWindow(const std::string& title, std::chrono::milliseconds limit) const {
  const auto end = Clock::now() + limit;
  for (;;) {
    Window found = 0;
    for (const Window window : MappedTopLevels()) {
      // Read the title's bytes whatever their encoding: a dialog may title itself in UTF-8,
      // which XFetchName declines to return.
      XTextProperty name{};
      if (!found && XGetWMName(display_, window, &name) && name.value &&
          title == std::string(reinterpret_cast<const char*>(name.value), name.nitems)) {
        found = window;
      }
      XFree(name.value);
    }
    if (found || Clock::now() >= end) {
      return found;
    }
    std::this_thread::sleep_for(20ms);
  }
}

Image VirtualScreen::Capture(Window window) const {
  XWindowAttributes attributes;
  Image image;
  if (!XGetWindowAttributes(display_, window, &attributes)) {
    return image;
  }
  XImage* ximage = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attributes.width),
                             static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!ximage) {
    return image;
  }
  image.width = attributes.width;
  image.height = attributes.height;
  image.pixels.reserve(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(ximage, x, y) & 0xFFFFFF));
    }
  }
  XDestroyImage(ximage);
  return image;
}

void VirtualScreen::SetResources(const std::string& resources) const {
  XChangeProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER, XA_STRING, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(resources.c_str()),
                  static_cast<int>(resources.size()));
  XSync(display_, False);
}

void VirtualScreen::SendDeleteWindow(Window window) const {
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

void SendKey(Display* display, Window window, unsigned long keysym) {
  XEvent event{};
  event.xkey.type = KeyPress;
  event.xkey.display = display;
  event.xkey.window = window;
  event.xkey.root = DefaultRootWindow(display);
  event.xkey.time = CurrentTime;
  event.xkey.same_screen = True;
  event.xkey.keycode = XKeysymToKeycode(display, static_cast<KeySym>(keysym));
  XSendEvent(display, window, True, KeyPressMask, &event);
  event.xkey.type = KeyRelease;
  XSendEvent(display, window, True, KeyReleaseMask, &event);
  XFlush(display);
}

std::vector<long> Property32(Display* display, Window window, const char* name, long limit) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, True), 0, limit, False,
                         AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
      data && format == 32) {
    // Xlib hands 32-bit items over as longs, sign-extended: keep the low 32 bits.
    const auto* longs = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      values.push_back(longs[i] & 0xFFFFFFFFL);
    }
  }
  XFree(data);
  return values;
}

long Decorations(Display* display, Window window) {
  const std::vector<long> hints = Property32(display, window, "_MOTIF_WM_HINTS", 5);
  const bool in_use = hints.size() >= 3 && (hints[0] & 2) != 0;
  return in_use ? hints[2] : -1;
}

std::vector<std::string> X11Env(const std::string& name) {
  // An empty WAYLAND_DISPLAY is how a user asks for X11 on a Wayland session.
  return {"DISPLAY=" + name, "WAYLAND_DISPLAY="};
}

}  // namespace display_test
