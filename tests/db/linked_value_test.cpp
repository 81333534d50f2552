// Values read from MySQL through an ODBC link, typed as the link's cached column says, as a local
// table of that type gives them.
#include "db/linked_value.h"

#include <gtest/gtest.h>

namespace {

jet::Column Of(uint8_t type) {
  jet::Column c;
  c.type = type;
  return c;
}

TEST(AsLinkedColumn, TurnsMySqlsKindsIntoTheCachedColumnsKinds) {
  using db::Value;
  // A TINYINT(1) or BIT read as a number is a Yes/No for a Yes/No column.
  EXPECT_EQ(db::AsLinkedColumn(Value::Integer(1), Of(jet::kTypeBoolean)), Value::Boolean(true));
  EXPECT_EQ(db::AsLinkedColumn(Value::Text("0"), Of(jet::kTypeBoolean)), Value::Boolean(false));
  // A whole number read as a double or as DECIMAL text; a fraction is not an integer.
  EXPECT_EQ(db::AsLinkedColumn(Value::Double(42.0), Of(jet::kTypeLong)), Value::Integer(42));
  EXPECT_EQ(db::AsLinkedColumn(Value::Number({"-7"}), Of(jet::kTypeInteger)), Value::Integer(-7));
  EXPECT_EQ(db::AsLinkedColumn(Value::Double(2.5), Of(jet::kTypeLong)), Value::Double(2.5));
  // Currency from DECIMAL text is exact to the ten-thousandth, not through a double.
  EXPECT_EQ(db::AsLinkedColumn(Value::Number({"-1234.5678"}), Of(jet::kTypeCurrency)),
            Value::Money({-12345678}));
  EXPECT_EQ(db::AsLinkedColumn(Value::Number({"922337203685477.5807"}), Of(jet::kTypeCurrency)),
            Value::Money({INT64_MAX}));
  // Text columns get text whatever MySQL sent; bytes and NULL pass as they came.
  EXPECT_EQ(db::AsLinkedColumn(Value::Integer(5), Of(jet::kTypeText)), Value::Text("5"));
  EXPECT_EQ(db::AsLinkedColumn(Value::Null(), Of(jet::kTypeLong)), Value::Null());
  EXPECT_EQ(db::AsLinkedColumn(Value::Binary({1, 2}), Of(jet::kTypeMemo)), Value::Binary({1, 2}));
  // What does not convert is passed on unchanged rather than made up.
  EXPECT_EQ(db::AsLinkedColumn(Value::Text("n/a"), Of(jet::kTypeDouble)), Value::Text("n/a"));
}

}  // namespace
