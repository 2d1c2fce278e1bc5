#include "runtime/wayland/window.h"

#include <algorithm>
#include <cmath>

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

constexpr wl_callback_listener kFrame = {
    .done = [](void* data, wl_callback*, std::uint32_t) { Of(data).FrameDone(); },
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

// Two buffers in one shared-memory pool, at one size. Replaced whole when the size changes.
struct Window::Buffers {
  struct Slot {
    Window* window = nullptr;
    int set = 0;
    int index = 0;
    Owned<wl_buffer> buffer;
  };

  PixelSize size;
  int set;
  SharedMemory memory;
  Owned<wl_shm_pool> pool;
  std::array<Slot, 2> slots;
  BufferPair pair;

  static std::size_t Bytes(PixelSize size) {
    return static_cast<std::size_t>(size.width) * 4 * static_cast<std::size_t>(size.height);
  }
  PixelBuffer Half(int index) const {
    auto* base =
        static_cast<std::uint8_t*>(memory.data()) + Bytes(size) * static_cast<std::size_t>(index);
    return {reinterpret_cast<std::uint32_t*>(base), size.width, size.height, size.width * 4};
  }

  Buffers(Window& window, wl_shm* shm, PixelSize buffer_size, int set_number)
      : size(buffer_size), set(set_number), memory(2 * Bytes(buffer_size)), pair(Half(0), Half(1)) {
    pool.reset(wl_shm_create_pool(shm, memory.fd(), static_cast<std::int32_t>(memory.size())));
    static constexpr wl_buffer_listener kRelease = {
        .release =
            [](void* data, wl_buffer*) {
              const auto& slot = *static_cast<const Slot*>(data);
              slot.window->Released(slot.set, slot.index);
            },
    };
    for (int i = 0; i < 2; ++i) {
      Slot& slot = slots[static_cast<std::size_t>(i)];
      slot.window = &window;
      slot.set = set_number;
      slot.index = i;
      slot.buffer.reset(wl_shm_pool_create_buffer(
          pool.get(), static_cast<std::int32_t>(Bytes(size)) * i, size.width, size.height,
          size.width * 4, WL_SHM_FORMAT_XRGB8888));
      wl_buffer_add_listener(slot.buffer.get(), &kRelease, &slot);
    }
  }
};

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

bool Window::CanPresent() const {
  const bool buffer_free = !buffers_ || buffers_->size != DeviceSize() || buffers_->pair.AnyFree();
  return configured_ && !frame_callback_ && !held_until_ && buffer_free;
}

PixelBuffer Window::Buffer() {
  const PixelSize size = DeviceSize();
  if (!buffers_ || buffers_->size != size) {
    if (buffers_ && buffers_->pair.AnyBusy()) {
      retired_.push_back(std::move(buffers_));
    }
    buffers_ = std::make_unique<Buffers>(*this, connection_.shm(), size, next_set_++);
    scale_sent_to_surface_ = false;
  }
  acquired_ = buffers_->pair.Acquire();
  if (acquired_ < 0) {
    throw PlatformError("drawing while the compositor holds both buffers");
  }
  return buffers_->pair.At(acquired_);
}

void Window::Present(std::span<const PixelRect> damage) {
  if (acquired_ < 0) {
    return;
  }
  wl_surface* surface = surface_.get();
  if (!scale_sent_to_surface_) {
    if (viewport_ && fractional_120ths_ != 0) {
      wl_surface_set_buffer_scale(surface, 1);
      wp_viewport_set_destination(viewport_.get(), logical_.width, logical_.height);
    } else {
      wl_surface_set_buffer_scale(surface, integer_scale_);
    }
    scale_sent_to_surface_ = true;
  }
  auto& slot = buffers_->slots[static_cast<std::size_t>(acquired_)];
  wl_surface_attach(surface, slot.buffer.get(), 0, 0);
  const PixelRect whole{0, 0, buffers_->size.width, buffers_->size.height};
  if (!shown_) {
    wl_surface_damage_buffer(surface, 0, 0, whole.width, whole.height);
  }
  for (const PixelRect& rect : damage) {
    wl_surface_damage_buffer(surface, rect.x, rect.y, rect.width, rect.height);
  }
  // Painting waits for this: it comes back once the compositor has shown the frame, and not
  // while the window is hidden.
  frame_callback_.reset(wl_surface_frame(surface));
  wl_callback_add_listener(frame_callback_.get(), &kFrame, this);
  wl_surface_commit(surface);
  forecast_.Committed();
  if (!shown_) {
    const PixelRect all[] = {whole};
    buffers_->pair.Presented(acquired_, all);
  } else {
    buffers_->pair.Presented(acquired_, damage);
  }
  acquired_ = -1;
  shown_ = true;
  ready_sent_ = false;
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

std::optional<TimePoint> Window::LookForCallbackAt(TimePoint now) const {
  if (held_until_) {
    return held_until_;
  }
  return frame_callback_ ? forecast_.LookAt(now) : std::nullopt;
}

void Window::FrameDone() {
  frame_callback_.reset();
  const Connection::Reading& reading = connection_.LastReading();
  const std::optional<TimePoint> steady = forecast_.SteadyReadAt();
  forecast_.CalledBack(reading.at, reading.watched);
  if (steady && reading.at < *steady && !by_clock_) {
    held_until_ = steady;
    return;
  }
  MaybeReady();
}

void Window::ReleaseHeld(TimePoint now) {
  if (held_until_ && now >= *held_until_) {
    held_until_.reset();
    MaybeReady();
  }
}

void Window::Released(int set, int index) {
  if (buffers_ && buffers_->set == set) {
    buffers_->pair.Release(index);
    MaybeReady();
    return;
  }
  for (const auto& old : retired_) {
    if (old->set == set) {
      old->pair.Release(index);
    }
  }
  DropIdleBuffers();
}

void Window::DropIdleBuffers() {
  std::erase_if(retired_, [](const std::unique_ptr<Buffers>& old) { return !old->pair.AnyBusy(); });
}

void Window::MaybeReady() {
  if (!ready_sent_ && shown_ && CanPresent()) {
    connection_.events().push_back({.kind = WindowEvent::Kind::kFrameReady, .window = id_});
    ready_sent_ = true;
  }
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
