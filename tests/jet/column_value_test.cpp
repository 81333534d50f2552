// A statement's values against columns: converted to what the column will read back, refused
// when they do not suit it, and compared as Jet's "=" compares.
#include "jet/column_value.h"

#include <gtest/gtest.h>

#include <string>

#include "jet/error.h"

namespace {

jet::Column Typed(uint8_t type) {
  jet::Column c;
  c.name = "C";
  c.type = type;
  return c;
}

std::string Refusal(uint8_t type, const jet::Value& value) {
  try {
    jet::ValueForColumn(Typed(type), value);
  } catch (const jet::Error& e) {
    return e.what();
  }
  return "no error";
}

TEST(ValueForColumn, GivesWhatTheColumnWillReadBack) {
  EXPECT_EQ(jet::ValueForColumn(Typed(jet::kTypeLong), 2.0), jet::Value(int64_t{2}));
  EXPECT_EQ(jet::ValueForColumn(Typed(jet::kTypeBoolean), int64_t{-1}), jet::Value(true));
  EXPECT_EQ(jet::ValueForColumn(Typed(jet::kTypeBoolean), int64_t{0}), jet::Value(false));
  EXPECT_EQ(jet::ValueForColumn(Typed(jet::kTypeSingle), 0.1), jet::Value(0.1f));
  EXPECT_EQ(jet::ValueForColumn(Typed(jet::kTypeDateTime), int64_t{45000}),
            jet::Value(jet::Date{45000}));
  EXPECT_EQ(jet::ValueForColumn(Typed(jet::kTypeMemo), std::string("x")),
            jet::Value(std::string("x")));
  EXPECT_EQ(jet::ValueForColumn(Typed(jet::kTypeText), std::monostate{}),
            jet::Value(std::monostate{}));
  // Currency: ten-thousandths, rounded to the nearest; whole amounts exactly, even beyond what a
  // double holds to the unit (2^53 ten-thousandths).
  EXPECT_EQ(jet::ValueForColumn(Typed(jet::kTypeCurrency), 1.23456),
            jet::Value(jet::Currency{12346}));
  EXPECT_EQ(jet::ValueForColumn(Typed(jet::kTypeCurrency), int64_t{-7}),
            jet::Value(jet::Currency{-70000}));
  EXPECT_EQ(jet::ValueForColumn(Typed(jet::kTypeCurrency), int64_t{900719925474099}),
            jet::Value(jet::Currency{9007199254740990000}));
}

TEST(ValueForColumn, RefusesWhatTheColumnCannotHold) {
  EXPECT_NE(Refusal(jet::kTypeInteger, 2.5).find("a number with decimals does not suit"),
            std::string::npos);
  EXPECT_NE(Refusal(jet::kTypeLong, std::string("3")).find("does not suit a Long Integer"),
            std::string::npos);
  EXPECT_NE(Refusal(jet::kTypeText, int64_t{3}).find("does not suit a Text column"),
            std::string::npos);
  EXPECT_NE(Refusal(jet::kTypeBoolean, std::monostate{}).find("cannot be NULL"), std::string::npos);
  EXPECT_NE(Refusal(jet::kTypeCurrency, 1e15).find("a number this large"), std::string::npos);
  EXPECT_NE(Refusal(jet::kTypeCurrency, int64_t{922000000000000}).find("a number this large"),
            std::string::npos);
  EXPECT_NE(Refusal(jet::kTypeOle, std::string("x")).find("does not change OLE Object values"),
            std::string::npos);
}

TEST(ValuesMatch, ComparesAsJetDoes) {
  EXPECT_TRUE(jet::ValuesMatch(std::string("O'Neil"), std::string("o'NEIL")));
  EXPECT_FALSE(jet::ValuesMatch(std::string("3"), int64_t{3})) << "text is not a number";
  EXPECT_FALSE(jet::ValuesMatch(std::monostate{}, std::monostate{})) << "NULL equals nothing";
  EXPECT_FALSE(jet::ValuesMatch(int64_t{0}, std::monostate{}));
  EXPECT_TRUE(jet::ValuesMatch(int64_t{3}, 3.0));
  EXPECT_TRUE(jet::ValuesMatch(jet::Currency{30000}, int64_t{3}));
  EXPECT_TRUE(jet::ValuesMatch(true, int64_t{-1})) << "Yes is -1";
  EXPECT_TRUE(jet::ValuesMatch(jet::Date{45000.5}, 45000.5));
  EXPECT_FALSE(jet::ValuesMatch(2.5f, int64_t{2}));
}

}  // namespace
