#include "runtime/native/buffer_pair.h"

#include <cstring>

#include "runtime/rect.h"

namespace rt {

namespace {

// Beyond this many regions a buffer's misses are merged into one: copying a little more is
// cheaper than keeping a list that grows while the display holds on to a buffer.
constexpr std::size_t kMostMissing = 16;

void CopyRect(const PixelBuffer& from, const PixelBuffer& to, const PixelRect& rect) {
  const PixelRect area = Intersect(rect, {0, 0, to.width, to.height});
  for (int y = area.y; y < area.y + area.height; ++y) {
    std::memcpy(to.Row(y) + area.x, from.Row(y) + area.x,
                static_cast<std::size_t>(area.width) * sizeof(std::uint32_t));
  }
}

}  // namespace

BufferPair::BufferPair(const PixelBuffer& first, const PixelBuffer& second)
    : buffers_{first, second} {
  for (auto& missing : missing_) {
    missing.reserve(kMostMissing + 1);
  }
}

int BufferPair::Acquire() {
  if (last_ >= 0 && !busy_[static_cast<std::size_t>(last_)]) {
    return last_;
  }
  const int other = last_ == 0 ? 1 : 0;
  if (busy_[static_cast<std::size_t>(other)]) {
    return -1;
  }
  auto& missing = missing_[static_cast<std::size_t>(other)];
  if (last_ >= 0) {
    for (const PixelRect& rect : missing) {
      CopyRect(At(last_), At(other), rect);
    }
  }
  missing.clear();
  return other;
}

void BufferPair::Presented(int index, std::span<const PixelRect> damage) {
  const auto i = static_cast<std::size_t>(index);
  busy_[i] = true;
  last_ = index;
  missing_[i].clear();
  auto& other = missing_[1 - i];
  for (const PixelRect& rect : damage) {
    other.push_back(rect);
    if (other.size() > kMostMissing) {
      PixelRect all;
      for (const PixelRect& each : other) {
        all = Union(all, each);
      }
      other.assign(1, all);
    }
  }
}

}  // namespace rt
