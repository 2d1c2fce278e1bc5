// Two buffers for one window, drawn into in turn while the display shows the other.
//
// The runtime paints only what changed, so the buffer it draws into must already hold the
// frame presented last. A buffer that was not presented last lacks the regions painted since
// it was; they are copied over from the one that was before it is handed out. The last one
// presented is handed out again whenever the display has let go of it, and then needs nothing.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "runtime/pixel_buffer.h"
#include "runtime/types.h"

namespace rt {

class BufferPair {
 public:
  BufferPair(const PixelBuffer& first, const PixelBuffer& second);

  // The index of a buffer free to draw into, brought up to the frame presented last; -1 when
  // the display holds both.
  int Acquire();
  const PixelBuffer& At(int index) const { return buffers_.at(static_cast<std::size_t>(index)); }
  // Buffer `index` now shows the next frame, in which `damage` changed; it stays busy until
  // Release.
  void Presented(int index, std::span<const PixelRect> damage);
  void Release(int index) { busy_.at(static_cast<std::size_t>(index)) = false; }
  bool AnyFree() const { return !busy_[0] || !busy_[1]; }
  bool AnyBusy() const { return busy_[0] || busy_[1]; }

 private:
  std::array<PixelBuffer, 2> buffers_;
  std::array<bool, 2> busy_{};
  // What each buffer misses of the frame presented last.
  std::array<std::vector<PixelRect>, 2> missing_;
  int last_ = -1;
};

}  // namespace rt
