// Appending rows to a table: the rows, the row count and the entries of the indexes named, each
// step durable, in a file the check passes; a row that cannot be built writes nothing.
#include "jet/append_rows.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "jet/check.h"
#include "jet/index_edit.h"
#include "jet/index_page.h"
#include "jet/row.h"
#include "jet/write_guard.h"
#include "support/test_files.h"
#include "write_checks.h"

namespace {

std::vector<jet::StoredColumns> Employees(const jet::TableDef& def, int first_id, int count) {
  std::vector<jet::StoredColumns> rows;
  for (int i = 0; i < count; ++i) {
    rows.push_back(jet::EncodeRow(def,
                                  {{"EmpID", int64_t{first_id + i}},
                                   {"EmpCode", "N" + std::to_string(first_id + i)},
                                   {"EmpName", std::string("New employee")},
                                   {"Active", true}},
                                  "tblEmployee", "velda.mdb"));
  }
  return rows;
}

TEST(AppendRows, AddsRowsWithTheirCountAndTheEntriesOfEveryIndex) {
  const std::string path = writetest::WritableVelda("append_all");
  std::vector<jet::RowPointer> placed;
  uint32_t count_before = 0;
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::WriteGuard guard(db);
    const jet::TableDef def = db.GetTableDef("tblEmployee");
    count_before = def.row_count;
    placed = jet::AppendRows(db.cache(), def, Employees(def, 9000, 3), jet::AllIndexes(def));
  }
  ASSERT_EQ(placed.size(), 3u);
  jet::Database db = jet::Database::Open(path, "qarnivel");
  const jet::CheckReport report = jet::CheckDatabase(db);
  EXPECT_TRUE(report.ok()) << writetest::Joined(report.errors);
  const jet::TableDef& def = db.GetTableDef("tblEmployee");
  EXPECT_EQ(def.row_count, count_before + 3);
  std::set<uint32_t> ids;
  jet::TableCursor rows = db.OpenTable("tblEmployee");
  while (rows.Next()) {
    const jet::RowPointer at{rows.page(), static_cast<uint8_t>(rows.slot())};
    for (size_t i = 0; i < placed.size(); ++i) {
      if (at.Word() == placed[i].Word()) {
        EXPECT_EQ(rows[def.ColumnIndex("EmpID")], jet::Value(int64_t{9000 + static_cast<int>(i)}));
        ids.insert(at.Word());
      }
    }
  }
  EXPECT_EQ(ids.size(), 3u) << "each row where AppendRows says it went";
}

TEST(AppendRows, OnlyTheIndexesNamedGetEntries) {
  const std::string path = writetest::WritableVelda("append_some");
  std::vector<jet::RowPointer> placed;
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::WriteGuard guard(db);
    const jet::TableDef def = db.GetTableDef("tblEmployee");
    ASSERT_GE(def.real_indexes.size(), 2u);
    placed = jet::AppendRows(db.cache(), def, Employees(def, 9100, 2), {1});
  }
  jet::Database db = jet::Database::Open(path, "qarnivel");
  const jet::TableDef& def = db.GetTableDef("tblEmployee");
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    size_t found = 0;
    for (const jet::IndexEntry& e :
         jet::ReadIndexTree(db.cache(), def.real_indexes[i], def.page).entries) {
      for (jet::RowPointer p : placed) found += e.row.Word() == p.Word() ? 1 : 0;
    }
    EXPECT_EQ(found, i == 1 ? 2u : 0u) << "index " << i;
  }
}

TEST(AppendRows, ARowThatCannotBeBuiltWritesNothing) {
  const std::string path = writetest::WritableVelda("append_refused");
  const std::string before = testenv::FileBytes(path);
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::WriteGuard guard(db);
    const jet::TableDef def = db.GetTableDef("tblEmployee");
    std::vector<jet::StoredColumns> rows = Employees(def, 9200, 2);
    rows[1][def.FindColumn("EmpName")->number] = std::string(5000, 'x');
    EXPECT_THROW(jet::AppendRows(db.cache(), def, rows, jet::AllIndexes(def)), jet::Error);
  }
  EXPECT_EQ(testenv::FileBytes(path), before) << "not even the first row";
}

}  // namespace
