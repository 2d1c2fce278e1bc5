#include "runtime/text.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(IntToText, PlainDecimalDigitsWithNoBlank) {
  EXPECT_EQ(rt::IntToText(0), u"0");
  EXPECT_EQ(rt::IntToText(1), u"1");
  EXPECT_EQ(rt::IntToText(47), u"47");
  EXPECT_EQ(rt::IntToText(2147483648LL), u"2147483648");
  EXPECT_EQ(rt::IntToText(std::numeric_limits<std::int64_t>::max()), u"9223372036854775807");
  EXPECT_EQ(rt::IntToText(-12), u"-12");
  EXPECT_EQ(rt::IntToText(std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
}

TEST(ConcatText, LeftThenRightKeepingBlanks) {
  EXPECT_EQ(rt::ConcatText(u">:|    ", u"42"), u">:|    42");
  EXPECT_EQ(rt::ConcatText(u"", u""), u"");
}

TEST(ToUtf8, EncodesEveryPlaneAndReplacesLoneSurrogates) {
  EXPECT_EQ(rt::ToUtf8(u"Form1"), "Form1");
  EXPECT_EQ(rt::ToUtf8(u"\u00e9\u20ac"), "\xc3\xa9\xe2\x82\xac");
  EXPECT_EQ(rt::ToUtf8(u"\U0001F600"), "\xf0\x9f\x98\x80");
  const char16_t lone_high[] = {0xD83D, u'x', 0};
  EXPECT_EQ(rt::ToUtf8(lone_high), "\xef\xbf\xbdx");
  const char16_t lone_low[] = {0xDE00, 0};
  EXPECT_EQ(rt::ToUtf8(lone_low), "\xef\xbf\xbd");
}

}  // namespace
