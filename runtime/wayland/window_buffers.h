// A Wayland window's pixels: two buffers in one shared-memory pool, at one size, each telling
// its window when the compositor lets go of it. Replaced whole when the size changes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "runtime/native/buffer_pair.h"
#include "runtime/native/shared_memory.h"
#include "runtime/wayland/owned.h"
#include "runtime/wayland/window.h"

namespace rt::wayland {

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

  Buffers(Window& window, wl_shm* shm, PixelSize buffer_size, int set_number);
};

}  // namespace rt::wayland
