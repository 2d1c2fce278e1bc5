#include "runtime/wayland/connection.h"

#include <linux/input-event-codes.h>
#include <wayland-cursor.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "runtime/native/error_text.h"
#include "runtime/wayland/window.h"

namespace rt::wayland {

namespace {

template <class T>
T* Bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface,
        std::uint32_t offered, std::uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

Connection& Of(void* data) {
  return *static_cast<Connection*>(data);
}

constexpr wl_registry_listener kRegistry = {
    .global = [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                 std::uint32_t version) { Of(data).AddGlobal(registry, name, interface, version); },
    .global_remove = [](void* data, wl_registry* /*registry*/,
                        std::uint32_t name) { Of(data).RemoveGlobal(name); },
};

constexpr xdg_wm_base_listener kShell = {
    .ping = [](void* /*data*/, xdg_wm_base* shell,
               std::uint32_t serial) { xdg_wm_base_pong(shell, serial); },
};

// Outputs tell their scale and refresh rate; `done` closes each batch, and windows on them may
// then have a new scale.
constexpr wl_output_listener kOutput = {
    .geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                   std::int32_t, const char*, const char*, std::int32_t) {},
    .mode =
        [](void* data, wl_output* /*output*/, std::uint32_t flags, std::int32_t /*width*/,
           std::int32_t /*height*/, std::int32_t refresh) {
          if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
            static_cast<Output*>(data)->refresh_mhz = refresh;
          }
        },
    .done = [](void* data, wl_output*) { static_cast<Output*>(data)->connection->OutputDone(); },
    .scale = [](void* data, wl_output* /*output*/,
                std::int32_t factor) { static_cast<Output*>(data)->scale = std::max(1, factor); },
    .name = [](void*, wl_output*, const char*) {},
    .description = [](void*, wl_output*, const char*) {},
};

constexpr wl_seat_listener kSeat = {
    .capabilities = [](void* data, wl_seat* /*seat*/,
                       std::uint32_t capabilities) { Of(data).SeatCapabilities(capabilities); },
    .name = [](void*, wl_seat*, const char*) {},
};

constexpr wl_keyboard_listener kKeyboard = {
    // Only a few keys matter and their evdev codes are enough: the keymap is not needed.
    .keymap = [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); },
    .enter = [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface,
                wl_array*) { Of(data).KeyboardFocus(surface); },
    .leave = [](void* data, wl_keyboard*, std::uint32_t,
                wl_surface*) { Of(data).KeyboardFocus(nullptr); },
    .key = [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
              std::uint32_t state) { Of(data).Key(key, state); },
    .modifiers = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                    std::uint32_t) {},
    .repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

constexpr wl_pointer_listener kPointer = {
    .enter = [](void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                wl_fixed_t y) { Of(data).PointerEnter(serial, surface, x, y); },
    .leave = [](void* data, wl_pointer*, std::uint32_t, wl_surface*) { Of(data).PointerLeave(); },
    .motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x,
                 wl_fixed_t y) { Of(data).PointerMotion(x, y); },
    .button = [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                 std::uint32_t state) { Of(data).PointerButton(button, state); },
    .axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    .frame = [](void*, wl_pointer*) {},
    .axis_source = [](void*, wl_pointer*, std::uint32_t) {},
    .axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    .axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    .axis_value120 = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

}  // namespace

Connection::Connection(std::vector<WindowEvent>& events) : events_(events) {
  display_ = wl_display_connect(nullptr);
  if (!display_) {
    // The program has one thread and never changes its environment.
    const char* name = std::getenv("WAYLAND_DISPLAY");  // NOLINT(concurrency-mt-unsafe)
    throw PlatformError(std::string("cannot open a display: no Wayland compositor at ") +
                        (name && *name ? name : "wayland-0") + " (" + ErrorText(errno) + ")");
  }
  registry_.reset(wl_display_get_registry(display_));
  wl_registry_add_listener(registry_.get(), &kRegistry, this);
  // Two round trips: the globals, then what the outputs and the seat say about themselves.
  if (wl_display_roundtrip(display_) < 0 || wl_display_roundtrip(display_) < 0) {
    Lost();
  }
  const char* missing = !compositor_ ? "wl_compositor 4"
                        : !shm_      ? "wl_shm"
                        : !shell_    ? "xdg_wm_base"
                                     : nullptr;
  if (missing) {
    throw PlatformError(std::string("cannot open a display: the Wayland compositor has no ") +
                        missing);
  }
}

Connection::~Connection() {
  if (cursor_theme_) {
    wl_cursor_theme_destroy(cursor_theme_);
  }
  cursor_surface_.reset();
  pointer_.reset();
  keyboard_.reset();
  seat_.reset();
  outputs_.clear();
  decorations_.reset();
  fractional_scale_.reset();
  viewporter_.reset();
  shell_.reset();
  shm_.reset();
  compositor_.reset();
  registry_.reset();
  wl_display_disconnect(display_);
}

void Connection::AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                           std::uint32_t version) {
  const std::string_view is(interface);
  if (is == wl_compositor_interface.name && version >= 4) {
    // Version 4 has damage_buffer, in buffer pixels whatever the scale.
    compositor_.reset(Bind<wl_compositor>(registry, name, &wl_compositor_interface, version, 4));
  } else if (is == wl_shm_interface.name) {
    shm_.reset(Bind<wl_shm>(registry, name, &wl_shm_interface, version, 1));
  } else if (is == xdg_wm_base_interface.name) {
    shell_.reset(Bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, 3));
    xdg_wm_base_add_listener(shell_.get(), &kShell, this);
  } else if (is == wp_viewporter_interface.name) {
    viewporter_.reset(Bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1));
  } else if (is == wp_fractional_scale_manager_v1_interface.name) {
    fractional_scale_.reset(Bind<wp_fractional_scale_manager_v1>(
        registry, name, &wp_fractional_scale_manager_v1_interface, version, 1));
  } else if (is == zxdg_decoration_manager_v1_interface.name) {
    decorations_.reset(Bind<zxdg_decoration_manager_v1>(
        registry, name, &zxdg_decoration_manager_v1_interface, version, 1));
  } else if (is == wl_seat_interface.name && version >= 3 && !seat_) {
    // Version 3 lets a keyboard or pointer be released when the seat loses it.
    seat_.reset(Bind<wl_seat>(registry, name, &wl_seat_interface, version, 5));
    wl_seat_add_listener(seat_.get(), &kSeat, this);
  } else if (is == wl_output_interface.name && version >= 2) {
    auto output = std::make_unique<Output>();
    output->connection = this;
    output->name = name;
    output->output.reset(Bind<wl_output>(registry, name, &wl_output_interface, version, 3));
    wl_output_add_listener(output->output.get(), &kOutput, output.get());
    outputs_.push_back(std::move(output));
  }
}

void Connection::RemoveGlobal(std::uint32_t name) {
  std::erase_if(outputs_,
                [name](const std::unique_ptr<Output>& output) { return output->name == name; });
}

int Connection::LargestScale() const {
  int scale = 1;
  for (const auto& output : outputs_) {
    scale = std::max(scale, output->scale);
  }
  return scale;
}

const Output* Connection::FindOutput(const wl_output* output) const {
  for (const auto& each : outputs_) {
    if (each->output.get() == output) {
      return each.get();
    }
  }
  return nullptr;
}

int Connection::RefreshMilliHz(const wl_output* output) const {
  if (const Output* found = FindOutput(output)) {
    return found->refresh_mhz;
  }
  return outputs_.empty() ? 0 : outputs_.front()->refresh_mhz;
}

void Connection::Lost() const {
  if (wl_display_get_error(display_) == EPROTO) {
    const wl_interface* interface = nullptr;
    std::uint32_t id = 0;
    const std::uint32_t code = wl_display_get_protocol_error(display_, &interface, &id);
    throw PlatformError(std::string("the display server refused a request (") +
                        (interface ? interface->name : "unknown") + " error " +
                        std::to_string(code) + ")");
  }
  throw PlatformError("lost the display: the display server closed the connection");
}

void Connection::SeatCapabilities(std::uint32_t capabilities) {
  const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (keyboard && !keyboard_) {
    keyboard_.reset(wl_seat_get_keyboard(seat_.get()));
    wl_keyboard_add_listener(keyboard_.get(), &kKeyboard, this);
  } else if (!keyboard && keyboard_) {
    keyboard_.reset();
    keyboard_focus_ = nullptr;
  }
  if (pointer && !pointer_) {
    pointer_.reset(wl_seat_get_pointer(seat_.get()));
    wl_pointer_add_listener(pointer_.get(), &kPointer, this);
  } else if (!pointer && pointer_) {
    pointer_.reset();
    pointer_focus_ = nullptr;
  }
}

Window* Connection::WindowOf(wl_surface* surface) {
  return surface ? static_cast<Window*>(wl_surface_get_user_data(surface)) : nullptr;
}

void Connection::Key(std::uint32_t key, std::uint32_t state) {
  const Window* window = WindowOf(keyboard_focus_);
  if (!window || state != WL_KEYBOARD_KEY_STATE_PRESSED) {
    return;
  }
  rt::Key pressed = rt::Key::kOther;
  if (key == KEY_ENTER || key == KEY_KPENTER) {
    pressed = rt::Key::kEnter;
  } else if (key == KEY_ESC) {
    pressed = rt::Key::kEscape;
  } else if (key == KEY_SPACE) {
    pressed = rt::Key::kSpace;
  }
  events_.push_back(
      {.kind = WindowEvent::Kind::kKeyPressed, .window = window->id(), .key = pressed});
}

void Connection::PointerEnter(std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                              wl_fixed_t y) {
  pointer_focus_ = surface;
  pointer_x_ = x;
  pointer_y_ = y;
  if (const Window* window = WindowOf(surface)) {
    ShowCursor(serial, *window);
  }
}

void Connection::PointerMotion(wl_fixed_t x, wl_fixed_t y) {
  pointer_x_ = x;
  pointer_y_ = y;
}

void Connection::PointerButton(std::uint32_t button, std::uint32_t state) {
  const Window* window = WindowOf(pointer_focus_);
  if (!window || button != BTN_LEFT) {
    return;
  }
  // Surface coordinates are logical; the runtime thinks in the window's device pixels.
  const double scale = window->Scale();
  const PixelPoint point{static_cast<int>(wl_fixed_to_double(pointer_x_) * scale),
                         static_cast<int>(wl_fixed_to_double(pointer_y_) * scale)};
  events_.push_back({.kind = state == WL_POINTER_BUTTON_STATE_PRESSED
                                 ? WindowEvent::Kind::kButtonPressed
                                 : WindowEvent::Kind::kButtonReleased,
                     .window = window->id(),
                     .point = point});
}

void Connection::ShowCursor(std::uint32_t serial, const Window& window) {
  const int scale = window.IntegerScale();
  if (!cursor_theme_ || cursor_scale_ != scale) {
    if (cursor_theme_) {
      wl_cursor_theme_destroy(cursor_theme_);
    }
    // The user's theme, or libwayland-cursor's own arrow where there is none.
    cursor_theme_ = wl_cursor_theme_load(nullptr, 24 * scale, shm_.get());
    cursor_scale_ = scale;
  }
  wl_cursor* cursor =
      cursor_theme_ ? wl_cursor_theme_get_cursor(cursor_theme_, "left_ptr") : nullptr;
  if (!cursor || cursor->image_count == 0) {
    return;
  }
  wl_cursor_image* image = cursor->images[0];
  wl_buffer* buffer = wl_cursor_image_get_buffer(image);
  if (!buffer) {
    return;
  }
  if (!cursor_surface_) {
    cursor_surface_.reset(wl_compositor_create_surface(compositor_.get()));
  }
  wl_surface_set_buffer_scale(cursor_surface_.get(), scale);
  wl_surface_attach(cursor_surface_.get(), buffer, 0, 0);
  wl_surface_damage_buffer(cursor_surface_.get(), 0, 0, static_cast<std::int32_t>(image->width),
                           static_cast<std::int32_t>(image->height));
  wl_surface_commit(cursor_surface_.get());
  wl_pointer_set_cursor(pointer_.get(), serial, cursor_surface_.get(),
                        static_cast<std::int32_t>(image->hotspot_x) / scale,
                        static_cast<std::int32_t>(image->hotspot_y) / scale);
}

}  // namespace rt::wayland
