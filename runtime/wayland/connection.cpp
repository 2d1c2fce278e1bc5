// The connection to a Wayland compositor: connecting, binding the globals Tarvel needs as the
// registry offers them, the outputs and what they say about themselves, and why it was lost.
// The seat's input is in seat.cpp.
#include "runtime/wayland/connection.h"

#include <wayland-cursor.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "runtime/native/error_text.h"

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
    ListenToSeat();
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

}  // namespace rt::wayland
