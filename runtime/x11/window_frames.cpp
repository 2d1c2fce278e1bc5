// An X11 window's frames: the buffer handed out to draw into, presenting its changed areas,
// showing exposed parts again, and taking a buffer back when the server is done reading it.
#include <xcb/shm.h>

#include <algorithm>
#include <cstring>

#include "runtime/rect.h"
#include "runtime/x11/window.h"
#include "runtime/x11/window_buffers.h"

namespace rt::x11 {

bool Window::CanPresent() const {
  return !buffers_ || buffers_->size != size_ || buffers_->pair->AnyFree();
}

PixelBuffer Window::Buffer() {
  if (!buffers_ || buffers_->size != size_) {
    if (buffers_ && buffers_->pair->AnyBusy()) {
      retired_.push_back(std::move(buffers_));
    }
    buffers_ = std::make_unique<Buffers>(connection_.get(), size_, connection_.HasSharedMemory());
    front_ = -1;
  }
  acquired_ = buffers_->pair->Acquire();
  if (acquired_ < 0) {
    throw PlatformError("drawing while the X server reads both buffers");
  }
  return buffers_->pair->At(acquired_);
}

void Window::Present(std::span<const PixelRect> damage) {
  if (acquired_ < 0) {
    return;
  }
  const int index = acquired_;
  acquired_ = -1;
  const PixelRect whole{0, 0, buffers_->size.width, buffers_->size.height};
  const PixelRect all[] = {whole};
  if (!mapped_) {
    // Shown with its first frame, so it never appears unpainted.
    xcb_map_window(connection_.get(), window_);
    mapped_ = true;
    damage = all;
  }
  buffers_->pair->Presented(index, damage);
  front_ = index;
  for (std::size_t i = 0; i < damage.size(); ++i) {
    Send(*buffers_, index, Intersect(damage[i], whole), i + 1 == damage.size());
  }
  if (damage.empty() || buffers_->segment == 0) {
    buffers_->pair->Release(index);  // nothing is left for the server to read
  }
}

void Window::Send(const Buffers& buffers, int index, const PixelRect& area, bool notify) {
  if (area.empty()) {
    if (notify && buffers.segment != 0) {
      buffers_->pair->Release(index);
    }
    return;
  }
  xcb_connection_t* c = connection_.get();
  const auto w = static_cast<std::uint16_t>(buffers.size.width);
  const auto h = static_cast<std::uint16_t>(buffers.size.height);
  if (buffers.segment != 0) {
    // The server reads the pixels from shared memory; its completion event frees the buffer.
    xcb_shm_put_image(c, window_, gc_, w, h, static_cast<std::uint16_t>(area.x),
                      static_cast<std::uint16_t>(area.y), static_cast<std::uint16_t>(area.width),
                      static_cast<std::uint16_t>(area.height), static_cast<std::int16_t>(area.x),
                      static_cast<std::int16_t>(area.y), 24, XCB_IMAGE_FORMAT_Z_PIXMAP,
                      notify ? 1 : 0, buffers.segment, buffers.Offset(index));
    return;
  }
  // Over the wire: the region's rows packed together, in as many requests as the server's
  // request size allows.
  const PixelBuffer& from = buffers.pair->At(index);
  const std::size_t row_bytes = static_cast<std::size_t>(area.width) * 4;
  const std::size_t limit = static_cast<std::size_t>(xcb_get_maximum_request_length(c)) * 4 - 64;
  const int rows_per_request = std::max(1, static_cast<int>(limit / row_bytes));
  for (int top = area.y; top < area.y + area.height; top += rows_per_request) {
    const int rows = std::min(rows_per_request, area.y + area.height - top);
    wire_.resize(row_bytes * static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
      std::memcpy(wire_.data() + row_bytes * static_cast<std::size_t>(r),
                  from.Row(top + r) + area.x, row_bytes);
    }
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                  static_cast<std::uint16_t>(area.width), static_cast<std::uint16_t>(rows),
                  static_cast<std::int16_t>(area.x), static_cast<std::int16_t>(top), 0, 24,
                  static_cast<std::uint32_t>(wire_.size()), wire_.data());
  }
}

void Window::Exposed(const PixelRect& area) {
  // The window shows what the last frame holds; the runtime need not paint it again.
  if (buffers_ && front_ >= 0 && buffers_->size == size_) {
    Send(*buffers_, front_, Intersect(area, {0, 0, size_.width, size_.height}), false);
  }
}

void Window::Completed(std::uint32_t segment, std::uint32_t offset) {
  for (const auto& buffers : retired_) {
    if (buffers->segment == segment) {
      buffers->pair->Release(offset == 0 ? 0 : 1);
    }
  }
  std::erase_if(retired_, [](const std::unique_ptr<Buffers>& b) { return !b->pair->AnyBusy(); });
  if (buffers_ && buffers_->segment == segment) {
    const bool was_waiting = !buffers_->pair->AnyFree();
    buffers_->pair->Release(offset == 0 ? 0 : 1);
    if (was_waiting) {
      events_.push_back({.kind = WindowEvent::Kind::kFrameReady, .window = id_});
    }
  }
}

}  // namespace rt::x11
