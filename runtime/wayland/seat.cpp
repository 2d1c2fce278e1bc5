// The seat a Wayland connection listens to: keyboard and pointer input for Tarvel's windows
// (the keys and clicks an error box answers to), and the pointer's image over them.
#include "runtime/wayland/connection.h"

#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-cursor.h>

#include "runtime/wayland/window.h"

namespace rt::wayland {

namespace {

Connection& Of(void* data) {
  return *static_cast<Connection*>(data);
}

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

void Connection::ListenToSeat() {
  wl_seat_add_listener(seat_.get(), &kSeat, this);
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
