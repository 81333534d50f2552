#include "verify/cell_text.h"

#include <gtest/gtest.h>

#include "db/field.h"
#include "migrate/value_rendering.h"

namespace verify {
namespace {

using db::Value;

// What the migration sends for a source value of `type`.
std::string Sent(int type, const Value& v) {
  std::string cell;
  migrate::AppendTabField(type, v, &cell);
  return cell;
}

TEST(StoredCell, EqualsWhatTheMigrationSendsForTheValueMySqlKeeps) {
  using namespace db::ado_type;
  EXPECT_EQ(StoredCell(Value::Text("O'Brien")), Sent(kVarWChar, Value::Text("  O'Brien ")));
  EXPECT_EQ(StoredCell(Value::Text("")), Sent(kVarWChar, Value::Null()));
  EXPECT_NE(StoredCell(Value::Null()), Sent(kVarWChar, Value::Null())) << "NULL is not ''";
  EXPECT_NE(StoredCell(Value::Text("alpha ")), Sent(kVarWChar, Value::Text("alpha ")));
  EXPECT_EQ(StoredCell(Value::Text("C:\\Temp\tx\r\n")), Sent(kLongVarWChar, Value::Text("C:\\Temp\tx\r\n")));
  EXPECT_EQ(StoredCell(Value::Integer(0)), Sent(kInteger, Value::Null()));
  EXPECT_EQ(StoredCell(Value::Integer(1)), Sent(kBoolean, Value::Boolean(true)));
  EXPECT_EQ(StoredCell(Value::Boolean(false)), Sent(kBoolean, Value::Boolean(false)));
  EXPECT_EQ(StoredCell(Value::Double(0.1)), Sent(kDouble, Value::Double(0.1)));
  EXPECT_NE(StoredCell(Value::Double(0.1)), Sent(kDouble, Value::Double(0.1 + 1e-17 * 2)))
      << "the double's exact value, not a rounded text";
  db::DateTime t{2023, 5, 17, 14, 30, 0, 600'000'000};
  db::DateTime stored{2023, 5, 17, 14, 30, 1, 0};
  EXPECT_EQ(StoredCell(Value::Date(stored)), Sent(kDate, Value::Date(t))) << "to the second";
  EXPECT_EQ(StoredCell(Value::Null()), Sent(kDate, Value::Null()));
}

TEST(CellText, BytesAndWhatAPersonSees) {
  EXPECT_EQ(CellBytes("a\\tb\\\\c\\n\\0"), std::string("a\tb\\c\n\0", 7));
  EXPECT_EQ(CellBytes("\\\\N"), "\\N");
  EXPECT_EQ(ShownCell("\\N"), "NULL");
  EXPECT_EQ(ShownCell("alpha "), "'alpha '");
  EXPECT_EQ(ShownCell(std::string(100, 'x'), 4), "'xxxx'... (100 bytes)");
  EXPECT_EQ(ShownCell("\xC3\xA9\xC3\xA9", 1), "'\xC3\xA9'... (4 bytes)") << "whole characters";
}

}  // namespace
}  // namespace verify
