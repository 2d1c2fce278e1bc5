// How a Wayland window's frames reach the compositor: drawing into its buffers, presenting
// them with their damage, and the pacing that follows (a frame callback and buffers' release,
// and a callback read early held back to its usual time).
#include "runtime/wayland/window.h"

#include <memory>
#include <vector>

#include "runtime/wayland/window_buffers.h"

namespace rt::wayland {

namespace {

constexpr wl_callback_listener kFrame = {
    .done = [](void* data, wl_callback*,
               std::uint32_t) { static_cast<Window*>(data)->FrameDone(); },
};

}  // namespace

Window::Buffers::Buffers(Window& window, wl_shm* shm, PixelSize buffer_size, int set_number)
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
    slot.buffer.reset(
        wl_shm_pool_create_buffer(pool.get(), static_cast<std::int32_t>(Bytes(size)) * i,
                                  size.width, size.height, size.width * 4, WL_SHM_FORMAT_XRGB8888));
    wl_buffer_add_listener(slot.buffer.get(), &kRelease, &slot);
  }
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

}  // namespace rt::wayland
