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

TEST(FromUtf8, DecodesEveryPlaneAndReplacesWhatIsMalformed) {
  EXPECT_EQ(rt::FromUtf8("Tarvel"), u"Tarvel");
  EXPECT_EQ(rt::FromUtf8("\xc3\xa9\xe2\x82\xac"), u"\u00e9\u20ac");
  EXPECT_EQ(rt::FromUtf8("\xf0\x9f\x98\x80"), u"\U0001F600");
  EXPECT_EQ(rt::FromUtf8("a\x80"
                         "b"),
            u"a\uFFFDb");                                          // stray continuation byte
  EXPECT_EQ(rt::FromUtf8("\xc3"), u"\uFFFD");                      // cut short
  EXPECT_EQ(rt::FromUtf8("\xc0\xaf"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(rt::FromUtf8("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD");  // a surrogate
  EXPECT_EQ(rt::FromUtf8("\xf4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
  EXPECT_EQ(rt::ToUtf8(rt::FromUtf8("\xe2\x82\xac \xf0\x9f\x98\x80")),
            "\xe2\x82\xac \xf0\x9f\x98\x80");
}

}  // namespace

namespace {

TEST(Text, ShortAndLongTextsCopyMoveAndCompareByContent) {
  const rt::Text short_text = u">:|    42";
  const std::u16string long_source(100, u'x');
  rt::Text long_text = std::u16string_view(long_source);
  EXPECT_EQ(short_text.size(), 9U);
  EXPECT_EQ(long_text, long_source);

  rt::Text copy = long_text;
  EXPECT_EQ(copy, long_source);
  const rt::Text moved = std::move(copy);
  EXPECT_EQ(moved, long_source);
  EXPECT_TRUE(copy.empty());  // NOLINT(bugprone-use-after-move): a moved-from text is empty

  rt::Text target = long_text;
  target = short_text;  // long storage reused for a short text
  EXPECT_EQ(target, u">:|    42");
  target = std::move(long_text);
  EXPECT_EQ(target, long_source);
  target = rt::Text(u"ab");
  EXPECT_EQ(target, u"ab");
}

TEST(Text, AssigningOrAppendingPartOfItselfIsSafe) {
  rt::Text text = u"0123456789";
  text.append(std::u16string_view(text).substr(2, 3));
  EXPECT_EQ(text, u"0123456789234");
  const std::u16string long_source(50, u'y');
  rt::Text long_text = std::u16string_view(long_source);
  long_text.append(long_text);  // forces growth while reading from the old storage
  EXPECT_EQ(long_text, std::u16string(100, u'y'));
  long_text = std::u16string_view(long_text).substr(90);
  EXPECT_EQ(long_text, std::u16string(10, u'y'));
}

}  // namespace
