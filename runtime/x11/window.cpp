// An X11 window: made centred where it belongs, described to the window manager (its names,
// icon, hints and roles), and resized; its frames are in window_frames.cpp.
#include "runtime/x11/window.h"

#include <unistd.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "runtime/pixel_buffer.h"
#include "runtime/x11/window_buffers.h"

namespace rt::x11 {

namespace {

// WM_CLASS, instance and class: the desktop entry's StartupWMClass matches it to the menu.
constexpr char kClass[] = "tarvel\0tarvel";

}  // namespace

Window::Window(Connection& connection, WindowId id, const WindowSpec& wanted, const Window* parent,
               std::vector<WindowEvent>& events)
    : connection_(connection),
      events_(events),
      id_(id),
      dialog_(wanted.role == WindowSpec::Role::kDialog),
      size_{std::max(wanted.client.width, 1), std::max(wanted.client.height, 1)} {
  xcb_connection_t* c = connection.get();
  // Centred on the primary output, or over the middle of its parent.
  PixelRect around = connection.Workarea();
  if (parent) {
    const auto geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, parent->window_), nullptr);
    const auto place = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, parent->window_, connection.screen().root, 0, 0), nullptr);
    if (geometry && place) {
      around = {place->dst_x, place->dst_y, geometry->width, geometry->height};
    }
    std::free(geometry);
    std::free(place);
  }
  const int x = around.x + (around.width - size_.width) / 2;
  const int y = around.y + (around.height - size_.height) / 2;
  window_ = xcb_generate_id(c);
  // Whether it can be seen, too: mapped, not fully covered, not iconified.
  std::uint32_t events_wanted = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                XCB_EVENT_MASK_VISIBILITY_CHANGE | XCB_EVENT_MASK_PROPERTY_CHANGE;
  if (dialog_) {
    // A form takes no input; the error box answers keys and clicks.
    events_wanted |=
        XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE;
  }
  const std::uint32_t values[] = {Xrgb(wanted.back_color), 0, events_wanted, connection.colormap()};
  xcb_create_window(c, 24, window_, connection.screen().root, static_cast<std::int16_t>(x),
                    static_cast<std::int16_t>(y), static_cast<std::uint16_t>(size_.width),
                    static_cast<std::uint16_t>(size_.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    connection.visual(),
                    XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                    values);
  const std::uint32_t no_exposures[] = {0};
  gc_ = xcb_generate_id(c);
  xcb_create_gc(c, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, no_exposures);
  SetProperties(wanted, parent, x, y);
}

Window::~Window() {
  xcb_connection_t* c = connection_.get();
  buffers_.reset();
  retired_.clear();
  xcb_free_gc(c, gc_);
  xcb_destroy_window(c, window_);
  xcb_flush(c);
}

void Window::SetProperties(const WindowSpec& wanted, const Window* parent, int x, int y) {
  xcb_connection_t* c = connection_.get();
  const Atoms& atoms = connection_.atoms();
  auto set = [&](xcb_atom_t property, xcb_atom_t type, std::uint8_t format, std::size_t count,
                 const void* data) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, property, type, format,
                        static_cast<std::uint32_t>(count), data);
  };
  set(XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, wanted.title.size(), wanted.title.data());
  set(atoms.net_wm_name, atoms.utf8_string, 8, wanted.title.size(), wanted.title.data());
  set(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof kClass, kClass);
  const auto pid = static_cast<std::uint32_t>(getpid());
  set(atoms.net_wm_pid, XCB_ATOM_CARDINAL, 32, 1, &pid);
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) == 0) {
    set(XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 8, std::strlen(host), host);
  }
  set(atoms.wm_protocols, XCB_ATOM_ATOM, 32, 1, &atoms.wm_delete_window);
  const xcb_atom_t type =
      dialog_ ? atoms.net_wm_window_type_dialog : atoms.net_wm_window_type_normal;
  set(atoms.net_wm_window_type, XCB_ATOM_ATOM, 32, 1, &type);
  if (!wanted.border) {
    // Motif's hints: flags (2, decorations given), functions, decorations (none), input mode,
    // status.
    const std::uint32_t motif[] = {2, 0, 0, 0, 0};
    set(atoms.motif_wm_hints, atoms.motif_wm_hints, 32, 5, motif);
  }
  if (!wanted.icon.argb.empty()) {
    std::vector<std::uint32_t> icon;
    icon.reserve(2 + wanted.icon.argb.size());
    icon.push_back(static_cast<std::uint32_t>(wanted.icon.width));
    icon.push_back(static_cast<std::uint32_t>(wanted.icon.height));
    icon.insert(icon.end(), wanted.icon.argb.begin(), wanted.icon.argb.end());
    set(atoms.net_wm_icon, XCB_ATOM_CARDINAL, 32, icon.size(), icon.data());
  }
  if (parent) {
    xcb_icccm_set_wm_transient_for(c, window_, parent->window_);
  }
  // Where it was put, and a size of its own that is not for resizing.
  xcb_size_hints_t size{};
  xcb_icccm_size_hints_set_position(&size, 0, x, y);
  xcb_icccm_size_hints_set_size(&size, 0, size_.width, size_.height);
  xcb_icccm_size_hints_set_min_size(&size, size_.width, size_.height);
  xcb_icccm_size_hints_set_max_size(&size, size_.width, size_.height);
  xcb_icccm_set_wm_normal_hints(c, window_, &size);
  xcb_icccm_wm_hints_t hints{};
  xcb_icccm_wm_hints_set_input(&hints, 1);
  xcb_icccm_wm_hints_set_normal(&hints);
  xcb_icccm_set_wm_hints(c, window_, &hints);
}

void Window::Configured(int width, int height) {
  if (width == size_.width && height == size_.height) {
    return;
  }
  size_ = {width, height};
  events_.push_back({.kind = WindowEvent::Kind::kResized, .window = id_, .size = size_});
}

}  // namespace rt::x11
