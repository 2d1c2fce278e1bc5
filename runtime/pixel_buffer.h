// A window's pixels as the runtime draws them: memory the backend owns, handed out per frame.
#pragma once

#include <cstdint>

#include "runtime/types.h"

namespace rt {

// 32-bit XRGB pixels (0x00RRGGBB in native byte order), row by row. `stride` is the distance
// between rows in bytes and may exceed width * 4. The memory belongs to the backend: shared
// memory on a real display, ordinary memory headless.
struct PixelBuffer {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;

  bool empty() const { return pixels == nullptr || width <= 0 || height <= 0; }
  std::uint32_t* Row(int y) const {
    return reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(pixels) +
                                            static_cast<std::ptrdiff_t>(y) * stride);
  }
};

// `color` as one of those pixels.
constexpr std::uint32_t Xrgb(Color color) {
  return (std::uint32_t{color.red} << 16) | (std::uint32_t{color.green} << 8) | color.blue;
}

}  // namespace rt
