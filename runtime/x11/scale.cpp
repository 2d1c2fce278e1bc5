#include "runtime/x11/scale.h"

#include <xcb/xcb_xrm.h>

#include <cstdlib>

namespace rt::x11 {

namespace {

constexpr float kMinScale = 1.0F;  // smaller text would be unreadable, and fonts blurred
constexpr float kMaxScale = 4.0F;

float FromDatabase(xcb_xrm_database_t* database) {
  float scale = 1.0F;
  char* value = nullptr;
  if (database && xcb_xrm_resource_get_string(database, "Xft.dpi", "Xft.Dpi", &value) >= 0 &&
      value) {
    char* end = nullptr;
    const float dpi = std::strtof(value, &end);
    if (end != value && dpi > 0) {
      scale = dpi / 96.0F;
    }
  }
  std::free(value);
  if (database) {
    xcb_xrm_database_free(database);
  }
  if (!(scale >= kMinScale)) {
    return kMinScale;
  }
  return scale > kMaxScale ? kMaxScale : scale;
}

}  // namespace

float ScaleFromResources(const char* resources) {
  return FromDatabase(resources ? xcb_xrm_database_from_string(resources) : nullptr);
}

float ScaleOf(xcb_connection_t* connection) {
  return FromDatabase(xcb_xrm_database_from_default(connection));
}

}  // namespace rt::x11
