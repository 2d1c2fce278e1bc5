#include "runtime/sdl/x11_scale.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cstdlib>

namespace rt {

namespace {

constexpr float kMinScale = 1.0F;  // smaller text would be unreadable, and fonts blurred
constexpr float kMaxScale = 4.0F;

}  // namespace

float ScaleFromResources(const char* resources) {
  if (!resources) {
    return 1.0F;
  }
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  float scale = 1.0F;
  char* type = nullptr;
  XrmValue value{};
  if (database && XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
    const float dpi = std::strtof(value.addr, nullptr);
    if (dpi > 0) {
      scale = dpi / 96.0F;
    }
  }
  if (database) {
    XrmDestroyDatabase(database);
  }
  if (!(scale >= kMinScale)) {
    return kMinScale;
  }
  return scale > kMaxScale ? kMaxScale : scale;
}

float X11Scale() {
  // A short connection of our own: SDL gives access to its own only once a window exists, and
  // the window's size depends on the answer.
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    return 1.0F;
  }
  const float scale = ScaleFromResources(XResourceManagerString(display));
  XCloseDisplay(display);
  return scale;
}

}  // namespace rt
