#include "base/utf16.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf16, RoundTripsEveryPlaneAndCountsUnitsAsTheFieldsDo) {
  const std::string text = "a\xC3\xA9\xE7\x8E\x8B\xF0\x9F\x98\x80";  // a, é, 王, 😀
  const std::u16string units = base::Utf8ToUtf16(text);
  ASSERT_EQ(units.size(), 5u) << "a character beyond the Basic Multilingual Plane counts twice";
  EXPECT_EQ(units[3], 0xD83D);
  EXPECT_EQ(units[4], 0xDE00);
  EXPECT_EQ(base::Utf16ToUtf8(units), text);
}

TEST(Utf16, IllFormedInputStaysVisiblyDamaged) {
  // A stray continuation byte, a cut sequence, an overlong slash, an encoded surrogate: one
  // replacement character per offending byte, and the good characters around them kept.
  EXPECT_EQ(base::Utf8ToUtf16("x\x80y"), u"x\uFFFDy");
  EXPECT_EQ(base::Utf8ToUtf16("x\xE7\x8E"), u"x\uFFFD\uFFFD");
  EXPECT_EQ(base::Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(base::Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  // Unpaired surrogates, as cutting a text inside a pair leaves them.
  EXPECT_EQ(base::Utf16ToUtf8(std::u16string(1, char16_t(0xD83D))), "\xEF\xBF\xBD");
  EXPECT_EQ(base::Utf16ToUtf8(u"a" + std::u16string(1, char16_t(0xDE00)) + u"b"),
            "a\xEF\xBF\xBD" "b");
}

}  // namespace
