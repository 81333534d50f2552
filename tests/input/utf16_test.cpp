#include "input/utf16.h"

#include <gtest/gtest.h>

namespace input {
namespace {

TEST(Utf16, CountsOutsideTheBasicPlaneTwiceAndRoundTrips) {
  const std::string text = "a\u00e9\u20ac\U0001F600";
  const std::u16string units = ToUtf16(text);
  EXPECT_EQ(units.size(), 5u);
  EXPECT_EQ(ToUtf8(units), text);
}

TEST(Utf16, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(ToUtf16("a\xff" "b"), u"a\uFFFDb");
  EXPECT_EQ(ToUtf16("\xc3"), u"\uFFFD");                // cut short at the end
  EXPECT_EQ(ToUtf16("\xc0\xaf"), u"\uFFFD\uFFFD");      // overlong "/"
  EXPECT_EQ(ToUtf16("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
  // Half of a pair, as left by cutting a text in the middle of an emoji.
  EXPECT_EQ(ToUtf8(ToUtf16("\U0001F600").substr(0, 1)), "\xef\xbf\xbd");
}

}  // namespace
}  // namespace input
