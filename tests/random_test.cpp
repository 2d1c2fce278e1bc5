#include "runtime/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Random, SameSequenceOnEveryRunAndNeverOne) {
  rt::Random first;
  rt::Random second;
  std::vector<int> buckets(10, 0);
  constexpr int kDraws = 1'000'000;
  double sum = 0;
  for (int i = 0; i < kDraws; ++i) {
    const float r = first.Next();
    ASSERT_EQ(r, second.Next()) << "draw " << i;
    ASSERT_GE(r, 0.0F);
    ASSERT_LT(r, 1.0F);
    sum += r;
    ++buckets[static_cast<int>(r * 10.0F)];
  }
  // A generator stuck on a value or a corner would fail these by a wide margin.
  EXPECT_NEAR(sum / kDraws, 0.5, 0.01);
  for (int count : buckets) {
    EXPECT_NEAR(count, kDraws / 10, kDraws / 100);
  }
}

}  // namespace
