#include "runtime/arithmetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

rt::ErrorKind KindOf(void (*action)()) {
  try {
    action();
  } catch (const rt::RunTimeError& error) {
    return error.kind();
  }
  ADD_FAILURE() << "no run-time error raised";
  return rt::ErrorKind::kPropertyCall;
}

TEST(CheckedIncrement, CountsUpToTheMaximumThenRaisesOverflow) {
  EXPECT_EQ(rt::CheckedIncrement(0), 1);
  EXPECT_EQ(rt::CheckedIncrement(2147483647), 2147483648LL);
  EXPECT_EQ(rt::CheckedIncrement(std::numeric_limits<std::int64_t>::max() - 1),
            std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(KindOf([] { rt::CheckedIncrement(std::numeric_limits<std::int64_t>::max()); }),
            rt::ErrorKind::kOverflow);
}

TEST(ToSingle, RoundsToSinglePrecisionAndFaultsOnInvalidOrOverflow) {
  EXPECT_EQ(rt::ToSingle(4700.0), 4700.0F);
  EXPECT_EQ(rt::ToSingle(0.1), 0.1F);
  EXPECT_EQ(rt::ToSingle(16777217.0), 16777216.0F);  // the sum is rounded once, when stored
  EXPECT_EQ(KindOf([] { rt::ToSingle(1.0e39); }), rt::ErrorKind::kFloatFault);
  EXPECT_EQ(KindOf([] { rt::ToSingle(std::numeric_limits<double>::quiet_NaN()); }),
            rt::ErrorKind::kFloatFault);
  EXPECT_EQ(KindOf([] { rt::ToSingle(-std::numeric_limits<double>::infinity()); }),
            rt::ErrorKind::kFloatFault);
}

}  // namespace
