#include "runtime/x11/connection.h"

#include <xcb/randr.h>
#include <xcb/shm.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "runtime/x11/scale.h"

namespace rt::x11 {

namespace {

// A reply from XCB, freed with it.
template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> Take(T* reply) {
  return Reply<T>(reply, &std::free);
}

[[noreturn]] void CannotOpen(const std::string& why) {
  throw PlatformError("cannot open a display: " + why);
}

}  // namespace

Connection::Connection() {
  int screen_number = 0;
  connection_ = xcb_connect(nullptr, &screen_number);
  if (const int error = xcb_connection_has_error(connection_)) {
    xcb_disconnect(connection_);
    connection_ = nullptr;
    // The program has one thread and never changes its environment.
    const char* display = std::getenv("DISPLAY");  // NOLINT(concurrency-mt-unsafe)
    if (!display || !*display) {
      CannotOpen("DISPLAY is not set");
    }
    const char* why = error == XCB_CONN_CLOSED_PARSE_ERR        ? "not a display name"
                      : error == XCB_CONN_CLOSED_INVALID_SCREEN ? "no such screen"
                      : error == XCB_CONN_ERROR ? "no server there, or it turned us away"
                                                : "the connection failed";
    CannotOpen("no X server answered at DISPLAY=\"" + std::string(display) + "\" (" + why + ")");
  }
  try {
    xcb_prefetch_extension_data(connection_, &xcb_randr_id);
    xcb_prefetch_extension_data(connection_, &xcb_shm_id);
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screen_number && screens.rem > 0; ++i) {
      xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
      CannotOpen("the X server has no screen " + std::to_string(screen_number));
    }
    screen_ = screens.data;
    FindVisual();

    // Every atom asked for at once, then every answer: one round trip, not ten.
    const std::array<std::pair<const char*, xcb_atom_t*>, 13> names{{
        {"WM_PROTOCOLS", &atoms_.wm_protocols},
        {"WM_DELETE_WINDOW", &atoms_.wm_delete_window},
        {"_NET_WM_NAME", &atoms_.net_wm_name},
        {"UTF8_STRING", &atoms_.utf8_string},
        {"_NET_WM_PID", &atoms_.net_wm_pid},
        {"_NET_WM_ICON", &atoms_.net_wm_icon},
        {"_NET_WM_WINDOW_TYPE", &atoms_.net_wm_window_type},
        {"_NET_WM_WINDOW_TYPE_NORMAL", &atoms_.net_wm_window_type_normal},
        {"_NET_WM_WINDOW_TYPE_DIALOG", &atoms_.net_wm_window_type_dialog},
        {"WM_STATE", &atoms_.wm_state},
        {"_NET_WM_STATE", &atoms_.net_wm_state},
        {"_NET_WM_STATE_HIDDEN", &atoms_.net_wm_state_hidden},
        // Created when missing: the borderless hint is written whether or not a window manager
        // has named it yet.
        {"_MOTIF_WM_HINTS", &atoms_.motif_wm_hints},
    }};
    std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i) {
      cookies[i] = xcb_intern_atom(
          connection_, 0, static_cast<std::uint16_t>(std::strlen(names[i].first)), names[i].first);
    }
    QueryOutputs();
    for (std::size_t i = 0; i < names.size(); ++i) {
      const auto reply = Take(xcb_intern_atom_reply(connection_, cookies[i], nullptr));
      *names[i].second = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    CheckAlive();

    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection_, &xcb_shm_id);
    if (shm && shm->present) {
      // Version 1.2 passes a descriptor for the memory rather than a System V segment.
      const auto version = Take(
          xcb_shm_query_version_reply(connection_, xcb_shm_query_version(connection_), nullptr));
      shared_memory_ = version && (version->major_version > 1 ||
                                   (version->major_version == 1 && version->minor_version >= 2));
    }
    scale_ = ScaleOf(connection_);
    key_symbols_ = xcb_key_symbols_alloc(connection_);
  } catch (...) {
    xcb_disconnect(connection_);
    throw;
  }
}

Connection::~Connection() {
  if (key_symbols_) {
    xcb_key_symbols_free(key_symbols_);
  }
  xcb_disconnect(connection_);
}

void Connection::FindVisual() {
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  // Our pixels are 32-bit XRGB in little-endian order; the server must take them as they are.
  bool packs_32 = false;
  for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
       xcb_format_next(&formats)) {
    packs_32 = packs_32 || (formats.data->depth == 24 && formats.data->bits_per_pixel == 32);
  }
  if (!packs_32 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
    CannotOpen("the X server does not take 32-bit little-endian pixels");
  }
  auto usable = [](const xcb_visualtype_t& visual) {
    return visual._class == XCB_VISUAL_CLASS_TRUE_COLOR && visual.red_mask == 0xFF0000 &&
           visual.green_mask == 0x00FF00 && visual.blue_mask == 0x0000FF;
  };
  for (auto depths = xcb_screen_allowed_depths_iterator(screen_); depths.rem > 0;
       xcb_depth_next(&depths)) {
    if (depths.data->depth != 24) {
      continue;
    }
    for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
         xcb_visualtype_next(&visuals)) {
      if (!usable(*visuals.data)) {
        continue;
      }
      // The root's own visual when it will do; another needs a colour map of its own.
      if (visuals.data->visual_id == screen_->root_visual) {
        visual_ = visuals.data->visual_id;
        colormap_ = screen_->default_colormap;
        return;
      }
      if (visual_ == 0) {
        visual_ = visuals.data->visual_id;
      }
    }
  }
  if (visual_ == 0) {
    CannotOpen("the X server has no 24-bit true-colour visual");
  }
  colormap_ = xcb_generate_id(connection_);
  xcb_create_colormap(connection_, XCB_COLORMAP_ALLOC_NONE, colormap_, screen_->root, visual_);
}

void Connection::QueryOutputs() {
  workarea_ = {0, 0, screen_->width_in_pixels, screen_->height_in_pixels};
  const xcb_query_extension_reply_t* randr = xcb_get_extension_data(connection_, &xcb_randr_id);
  if (!randr || !randr->present) {
    return;
  }
  const xcb_window_t root = screen_->root;
  const auto primary_cookie = xcb_randr_get_output_primary(connection_, root);
  const auto resources_cookie = xcb_randr_get_screen_resources_current(connection_, root);
  const auto primary =
      Take(xcb_randr_get_output_primary_reply(connection_, primary_cookie, nullptr));
  const auto resources =
      Take(xcb_randr_get_screen_resources_current_reply(connection_, resources_cookie, nullptr));
  if (!resources) {
    return;
  }
  // The primary output's CRTC, or the first one in use where there is no primary.
  xcb_randr_crtc_t crtc = XCB_NONE;
  if (primary && primary->output != XCB_NONE) {
    const auto info = Take(xcb_randr_get_output_info_reply(
        connection_,
        xcb_randr_get_output_info(connection_, primary->output, resources->config_timestamp),
        nullptr));
    if (info) {
      crtc = info->crtc;
    }
  }
  const bool has_primary = crtc != XCB_NONE;
  if (!has_primary && xcb_randr_get_screen_resources_current_crtcs_length(resources.get()) > 0) {
    crtc = xcb_randr_get_screen_resources_current_crtcs(resources.get())[0];
  }
  if (crtc == XCB_NONE) {
    return;
  }
  const auto crtc_info = Take(xcb_randr_get_crtc_info_reply(
      connection_, xcb_randr_get_crtc_info(connection_, crtc, resources->config_timestamp),
      nullptr));
  if (!crtc_info || crtc_info->mode == XCB_NONE) {
    return;
  }
  if (has_primary) {
    workarea_ = {crtc_info->x, crtc_info->y, crtc_info->width, crtc_info->height};
  }
  const xcb_randr_mode_info_t* modes =
      xcb_randr_get_screen_resources_current_modes(resources.get());
  const int count = xcb_randr_get_screen_resources_current_modes_length(resources.get());
  for (int i = 0; i < count; ++i) {
    const xcb_randr_mode_info_t& mode = modes[i];
    if (mode.id == crtc_info->mode && mode.htotal != 0 && mode.vtotal != 0) {
      refresh_mhz_ = static_cast<int>(static_cast<std::uint64_t>(mode.dot_clock) * 1000 /
                                      (static_cast<std::uint64_t>(mode.htotal) * mode.vtotal));
    }
  }
}

xcb_keysym_t Connection::KeysymOf(xcb_keycode_t code) const {
  return key_symbols_ ? xcb_key_symbols_get_keysym(key_symbols_, code, 0) : 0;
}

void Connection::CheckAlive() const {
  if (xcb_connection_has_error(connection_)) {
    throw PlatformError("lost the display: the display server closed the connection");
  }
}

}  // namespace rt::x11
