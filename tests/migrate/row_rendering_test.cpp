// One source row as its INSERT's values list and as a LOAD DATA line.
#include "migrate/row_rendering.h"

#include <gtest/gtest.h>

#include "db/recordset.h"
#include "scripted_sessions.h"

namespace migrate {
namespace {

db::Recordset RowOf(const std::vector<int>& types, std::vector<db::Value> values) {
  ScriptedTable table;
  for (size_t i = 0; i < types.size(); ++i) {
    table.columns.push_back(db::FieldInfo{"c" + std::to_string(i), types[i], 10, 0, 0, 0});
  }
  table.rows.push_back(std::move(values));
  return db::Recordset(std::make_unique<ScriptedCursor>(table));
}

TEST(InsertValues, JoinsTheEntriesAndLeavesOutTypesWithoutOne) {
  using db::Value;
  namespace t = db::ado_type;
  db::Recordset row = RowOf({t::kVarWChar, t::kBinary, t::kInteger, t::kDate, t::kBoolean},
                            {Value::Text(" O'Brien "), Value::Binary({1}), Value::Null(),
                             Value::Null(), Value::Boolean(true)});
  EXPECT_EQ(InsertValues(row.Fields()), "'O''Brien', 0, NULL, True")
      << "the binary column has no entry, a Null number is 0, an absent date NULL";
  // A row of columns without entries gets no INSERT at all.
  db::Recordset nothing = RowOf({t::kBinary, t::kLongVarBinary}, {Value::Null(), Value::Null()});
  EXPECT_EQ(InsertValues(nothing.Fields()), "");
}

TEST(AppendTabLine, OneLinePerRowWhateverTheTextsHold) {
  using db::Value;
  namespace t = db::ado_type;
  db::Recordset row = RowOf({t::kVarWChar, t::kDouble, t::kDate},
                            {Value::Text("a\tb\nc\\"), Value::Double(0.1), Value::Null()});
  std::string line = "kept ";
  AppendTabLine(row.Fields(), &line);
  EXPECT_EQ(line, "kept a\\tb\\nc\\\\\t0.1\t\\N\n");
}

}  // namespace
}  // namespace migrate
