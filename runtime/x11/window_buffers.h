// An X11 window's pixels: two buffers at one size, halves of one shared segment (MIT-SHM) or
// of ordinary memory where the server cannot share (a remote display). Replaced whole when the
// size changes.
#pragma once

#include <unistd.h>
#include <xcb/shm.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "runtime/native/buffer_pair.h"
#include "runtime/native/shared_memory.h"
#include "runtime/x11/window.h"

namespace rt::x11 {

inline std::size_t Bytes(PixelSize size) {
  return static_cast<std::size_t>(size.width) * 4 * static_cast<std::size_t>(size.height);
}

struct Window::Buffers {
  PixelSize size;
  std::unique_ptr<SharedMemory> shared;
  xcb_shm_seg_t segment = 0;  // 0 when the pixels go over the wire
  std::vector<std::uint32_t> plain;
  std::unique_ptr<BufferPair> pair;
  xcb_connection_t* connection = nullptr;

  Buffers(xcb_connection_t* c, PixelSize buffer_size, bool try_shared)
      : size(buffer_size), connection(c) {
    std::uint32_t* base = nullptr;
    if (try_shared) {
      shared = std::make_unique<SharedMemory>(2 * Bytes(size));
      segment = xcb_generate_id(c);
      // XCB closes the descriptor it sends; the memory keeps its own.
      const int fd = dup(shared->fd());
      xcb_generic_error_t* error =
          fd < 0 ? nullptr : xcb_request_check(c, xcb_shm_attach_fd_checked(c, segment, fd, 0));
      if (fd < 0 || error) {
        std::free(error);
        shared.reset();
        segment = 0;
      } else {
        base = static_cast<std::uint32_t*>(shared->data());
      }
    }
    if (!shared) {
      plain.assign(2 * Bytes(size) / 4, 0);
      base = plain.data();
    }
    const std::size_t half = Bytes(size) / 4;
    pair = std::make_unique<BufferPair>(
        PixelBuffer{base, size.width, size.height, size.width * 4},
        PixelBuffer{base + half, size.width, size.height, size.width * 4});
  }
  ~Buffers() {
    if (segment != 0) {
      xcb_shm_detach(connection, segment);
    }
  }
  Buffers(const Buffers&) = delete;
  Buffers& operator=(const Buffers&) = delete;

  std::uint32_t Offset(int index) const {
    return static_cast<std::uint32_t>(Bytes(size) * static_cast<std::size_t>(index));
  }
};

}  // namespace rt::x11
