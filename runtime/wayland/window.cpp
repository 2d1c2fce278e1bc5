// A Wayland window's surface and its roles: the xdg toplevel, its decoration and fractional
// scale, the compositor's configure and close requests, and the outputs and scale it is shown
// at. How its frames reach the compositor is in window_frames.cpp.
#include "runtime/wayland/window.h"

#include <algorithm>
#include <cmath>

#include "runtime/wayland/window_buffers.h"

namespace rt::wayland {

namespace {

Window& Of(void* data) {
  return *static_cast<Window*>(data);
}

constexpr wl_surface_listener kSurface = {
    .enter = [](void* data, wl_surface*, wl_output* output) { Of(data).Entered(output); },
    .leave = [](void* data, wl_surface*, wl_output* output) { Of(data).Left(output); },
};

constexpr xdg_surface_listener kXdgSurface = {
    .configure = [](void* data, xdg_surface*, std::uint32_t serial) { Of(data).Configure(serial); },
};

constexpr xdg_toplevel_listener kToplevel = {
    .configure = [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                    wl_array*) { Of(data).ToplevelConfigure(width, height); },
    .close = [](void* data, xdg_toplevel*) { Of(data).CloseRequested(); },
    .configure_bounds = [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
    .wm_capabilities = [](void*, xdg_toplevel*, wl_array*) {},
};

constexpr wp_fractional_scale_v1_listener kFractionalScale = {
    .preferred_scale = [](void* data, wp_fractional_scale_v1*,
                          std::uint32_t scale) { Of(data).PreferredScale(scale); },
};

constexpr zxdg_toplevel_decoration_v1_listener kDecoration = {
    .configure = [](void*, zxdg_toplevel_decoration_v1*, std::uint32_t) {},
};

// The app id is the desktop entry's name, so a desktop matches the window to its menu entry.
constexpr const char* kAppId = "io.github.tarvel.Tarvel";

int CeilDiv(int a, int b) {
  return (a + b - 1) / b;
}

}  // namespace

Window::Window(Connection& connection, WindowId id, const WindowSpec& wanted, int scale,
               const Window* parent)
    : connection_(connection),
      id_(id),
      follows_scale_(wanted.role == WindowSpec::Role::kMain),
      logical_{CeilDiv(wanted.client.width, scale), CeilDiv(wanted.client.height, scale)},
      integer_scale_(scale),
      forecast_(connection.RefreshMilliHz(nullptr) > 0
                    ? Duration(1'000'000'000'000LL / connection.RefreshMilliHz(nullptr))
                    : Duration::zero()) {
  surface_.reset(wl_compositor_create_surface(connection.compositor()));
  wl_surface_add_listener(surface_.get(), &kSurface, this);
  xdg_surface_.reset(xdg_wm_base_get_xdg_surface(connection.shell(), surface_.get()));
  xdg_surface_add_listener(xdg_surface_.get(), &kXdgSurface, this);
  toplevel_.reset(xdg_surface_get_toplevel(xdg_surface_.get()));
  xdg_toplevel_add_listener(toplevel_.get(), &kToplevel, this);
  xdg_toplevel_set_title(toplevel_.get(), wanted.title.c_str());
  xdg_toplevel_set_app_id(toplevel_.get(), kAppId);
  if (parent) {
    xdg_toplevel_set_parent(toplevel_.get(), parent->toplevel_.get());
  }
  // Its size is its design's: a tiling compositor should float it rather than stretch it.
  xdg_toplevel_set_min_size(toplevel_.get(), logical_.width, logical_.height);
  xdg_toplevel_set_max_size(toplevel_.get(), logical_.width, logical_.height);
  if (zxdg_decoration_manager_v1* manager = connection.decorations()) {
    // Client-side decorations for a borderless window are none at all; a window with a border
    // asks the compositor for its frame.
    decoration_.reset(zxdg_decoration_manager_v1_get_toplevel_decoration(manager, toplevel_.get()));
    zxdg_toplevel_decoration_v1_add_listener(decoration_.get(), &kDecoration, this);
    zxdg_toplevel_decoration_v1_set_mode(
        decoration_.get(), wanted.border ? ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE
                                         : ZXDG_TOPLEVEL_DECORATION_V1_MODE_CLIENT_SIDE);
  }
  if (follows_scale_ && connection.fractional_scale() && connection.viewporter()) {
    viewport_.reset(wp_viewporter_get_viewport(connection.viewporter(), surface_.get()));
    fractional_.reset(wp_fractional_scale_manager_v1_get_fractional_scale(
        connection.fractional_scale(), surface_.get()));
    wp_fractional_scale_v1_add_listener(fractional_.get(), &kFractionalScale, this);
  }
  // The first commit carries no buffer; the compositor answers with the first configure, and
  // only then may the window be drawn.
  wl_surface_commit(surface_.get());
  while (!configured_) {
    if (wl_display_dispatch(connection.display()) < 0) {
      connection.Lost();
    }
  }
}

Window::~Window() {
  frame_callback_.reset();
  fractional_.reset();
  viewport_.reset();
  decoration_.reset();
  toplevel_.reset();
  xdg_surface_.reset();
  surface_.reset();
  buffers_.reset();
  retired_.clear();
}

double Window::Scale() const {
  return fractional_120ths_ != 0 ? fractional_120ths_ / 120.0 : integer_scale_;
}

const wl_output* Window::CurrentOutput() const {
  return outputs_.empty() ? nullptr : outputs_.front();
}

PixelSize Window::DeviceSize() const {
  if (fractional_120ths_ != 0) {
    // The viewport shows the buffer at the logical size; the buffer has the device pixels.
    const double scale = Scale();
    return {static_cast<int>(std::lround(logical_.width * scale)),
            static_cast<int>(std::lround(logical_.height * scale))};
  }
  return {logical_.width * integer_scale_, logical_.height * integer_scale_};
}

void Window::Configure(std::uint32_t serial) {
  xdg_surface_ack_configure(xdg_surface_.get(), serial);
  configured_ = true;
}

void Window::ToplevelConfigure(int width, int height) {
  // 0 leaves the size to us. A form takes any other size the compositor insists on.
  if (!follows_scale_ || width <= 0 || height <= 0 ||
      (width == logical_.width && height == logical_.height)) {
    return;
  }
  logical_ = {width, height};
  connection_.events().push_back(
      {.kind = WindowEvent::Kind::kResized, .window = id_, .size = DeviceSize()});
}

void Window::CloseRequested() {
  connection_.events().push_back({.kind = WindowEvent::Kind::kCloseRequested, .window = id_});
}

void Window::Entered(wl_output* output) {
  outputs_.push_back(output);
  ScaleMayHaveChanged();
}

void Window::Left(wl_output* output) {
  std::erase(outputs_, output);
  ScaleMayHaveChanged();
}

void Window::OutputsChanged() {
  ScaleMayHaveChanged();
}

void Window::PreferredScale(std::uint32_t scale_120ths) {
  if (!follows_scale_ || scale_120ths == fractional_120ths_) {
    return;
  }
  const double before = Scale();
  fractional_120ths_ = scale_120ths;
  scale_sent_to_surface_ = false;
  if (Scale() != before) {
    connection_.events().push_back({.kind = WindowEvent::Kind::kScaleChanged,
                                    .window = id_,
                                    .size = DeviceSize(),
                                    .scale = static_cast<float>(Scale())});
  }
}

void Window::ScaleMayHaveChanged() {
  if (!follows_scale_) {
    return;
  }
  // On several outputs at once, the densest decides: the text is then crisp on that one and
  // scaled down, not up, on the others.
  int scale = 0;
  for (const wl_output* output : outputs_) {
    if (const Output* known = connection_.FindOutput(output)) {
      scale = std::max(scale, known->scale);
    }
  }
  if (scale == 0 || scale == integer_scale_) {
    return;
  }
  integer_scale_ = scale;
  scale_sent_to_surface_ = false;
  if (fractional_120ths_ == 0) {
    connection_.events().push_back({.kind = WindowEvent::Kind::kScaleChanged,
                                    .window = id_,
                                    .size = DeviceSize(),
                                    .scale = static_cast<float>(scale)});
  }
}

}  // namespace rt::wayland
