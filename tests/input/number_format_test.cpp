#include "input/number_format.h"

#include <gtest/gtest.h>

namespace input {
namespace {

TEST(IsNumber, AcceptsPlainDecimalNotationOnly) {
  for (const char* text : {"0", "007", "-5", "+5", ".5", "-.5", "3.", "12.34", " 42 ", "  -1.5"}) {
    EXPECT_TRUE(IsNumber(text)) << text;
  }
  for (const char* text : {"", " ", ".", "-", "+", "-.", "1.2.3", "1-2", "--1", "1e3", "1,000",
                           "12a", "0x1F", "1 2", "- 1", "\xef\xbc\x91"}) {
    EXPECT_FALSE(IsNumber(text)) << text;
  }
}

TEST(FormatNumber, RoundsHalfAwayFromZeroOnTheDecimalDigits) {
  // 2.675 is 2.67499999... as a binary double; the digits as typed are exactly halfway.
  EXPECT_EQ(FormatNumber("2.675", 2), "2.68");
  EXPECT_EQ(FormatNumber("1.005", 2), "1.01");
  EXPECT_EQ(FormatNumber("0.125", 2), "0.13");  // no rounding to even
  EXPECT_EQ(FormatNumber("2.674999", 2), "2.67");
  EXPECT_EQ(FormatNumber("-2.675", 2), "-2.68");
  EXPECT_EQ(FormatNumber("2.5", 0), "3");
  EXPECT_EQ(FormatNumber("-2.5", 0), "-3");
  EXPECT_EQ(FormatNumber("1.2344", 3), "1.234");
}

TEST(FormatNumber, CarriesIntoTheIntegerPart) {
  EXPECT_EQ(FormatNumber("9.995", 2), "10.00");
  EXPECT_EQ(FormatNumber("99.99995", 4), "100.0000");
  EXPECT_EQ(FormatNumber("-999.5", 0), "-1000");
  EXPECT_EQ(FormatNumber(".999", 2), "1.00");
}

TEST(FormatNumber, WritesTheFixedPicture) {
  EXPECT_EQ(FormatNumber("007", 0), "7");
  EXPECT_EQ(FormatNumber("000", 0), "0");
  EXPECT_EQ(FormatNumber("3.", 3), "3.000");
  EXPECT_EQ(FormatNumber("+12", 0), "12");
  EXPECT_EQ(FormatNumber(" 3306 ", 0), "3306");
  // Beyond what a double holds exactly, still digit for digit.
  EXPECT_EQ(FormatNumber("123456789012345678901", 0), "123456789012345678901");
  EXPECT_EQ(FormatNumber("12345678901234567.891", 2), "12345678901234567.89");
}

TEST(FormatNumber, ZeroHasNoSign) {
  EXPECT_EQ(FormatNumber("-0", 0), "0");
  EXPECT_EQ(FormatNumber("-0.4", 0), "0");
  EXPECT_EQ(FormatNumber("-0.004", 2), "0.00");
  EXPECT_EQ(FormatNumber("-0.005", 2), "-0.01");
}

TEST(FormatNumber, LeavesWhatIsNotANumberUnchanged) {
  EXPECT_EQ(FormatNumber("12a", 0), "12a");
  EXPECT_EQ(FormatNumber("0.5.5", 2), "0.5.5");
  EXPECT_EQ(FormatNumber("", 2), "");
}

}  // namespace
}  // namespace input
