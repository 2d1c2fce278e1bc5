// Two buffers drawn into in turn: the one handed out always holds the frame presented last.
#include "runtime/native/buffer_pair.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

struct Memory {
  std::vector<std::uint32_t> first = std::vector<std::uint32_t>(kWidth * kHeight, 0);
  std::vector<std::uint32_t> second = std::vector<std::uint32_t>(kWidth * kHeight, 0);
  rt::BufferPair pair{{first.data(), kWidth, kHeight, kWidth * 4},
                      {second.data(), kWidth, kHeight, kWidth * 4}};
};

void Draw(const rt::PixelBuffer& buffer, std::vector<std::uint32_t>& frame, const rt::PixelRect& r,
          std::uint32_t colour) {
  for (int y = r.y; y < r.y + r.height; ++y) {
    for (int x = r.x; x < r.x + r.width; ++x) {
      buffer.Row(y)[x] = colour;
      frame[static_cast<std::size_t>(y * kWidth + x)] = colour;
    }
  }
}

bool Holds(const rt::PixelBuffer& buffer, const std::vector<std::uint32_t>& frame) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (buffer.Row(y)[x] != frame[static_cast<std::size_t>(y * kWidth + x)]) {
        return false;
      }
    }
  }
  return true;
}

TEST(BufferPair, TheLastOneIsReusedOnceFreeAndNoneIsHandedOutWhileBothAreHeld) {
  Memory memory;
  const rt::PixelRect whole[] = {{0, 0, kWidth, kHeight}};
  EXPECT_EQ(memory.pair.Acquire(), 0);
  memory.pair.Presented(0, whole);
  EXPECT_EQ(memory.pair.Acquire(), 1);
  memory.pair.Presented(1, whole);
  EXPECT_EQ(memory.pair.Acquire(), -1);
  EXPECT_FALSE(memory.pair.AnyFree());
  memory.pair.Release(0);
  EXPECT_EQ(memory.pair.Acquire(), 0);
  memory.pair.Release(1);
  EXPECT_EQ(memory.pair.Acquire(), 1);  // the last presented, which needs no copying
  EXPECT_FALSE(memory.pair.AnyBusy());  // handing out is not presenting
}

TEST(BufferPair, WhateverTheDisplayHoldsTheBufferHandedOutHoldsTheLastFrame) {
  Memory memory;
  std::vector<std::uint32_t> frame(kWidth * kHeight, 0);
  std::mt19937 rng(7);
  int copies_needed = 0;
  for (int step = 0; step < 3000; ++step) {
    // The display lets go of buffers at its own pace, sometimes holding one for long.
    for (int i = 0; i < 2; ++i) {
      if (rng() % 3 == 0) {
        memory.pair.Release(i);
      }
    }
    const int index = memory.pair.Acquire();
    if (index < 0) {
      continue;
    }
    const rt::PixelBuffer& buffer = memory.pair.At(index);
    ASSERT_TRUE(Holds(buffer, frame)) << "step " << step;
    // A frame changes a few small regions, as the painter does.
    std::vector<rt::PixelRect> damage;
    for (unsigned n = rng() % 3; n > 0; --n) {
      const int x = static_cast<int>(rng() % kWidth);
      const int y = static_cast<int>(rng() % kHeight);
      const rt::PixelRect rect{x, y, 1 + static_cast<int>(rng() % (kWidth - x)),
                               1 + static_cast<int>(rng() % (kHeight - y))};
      Draw(buffer, frame, rect, static_cast<std::uint32_t>(step + 1));
      damage.push_back(rect);
    }
    copies_needed += index == 1;
    memory.pair.Presented(index, damage);
  }
  EXPECT_GT(copies_needed, 100);  // both buffers were used, so copying forward was exercised
}

}  // namespace
