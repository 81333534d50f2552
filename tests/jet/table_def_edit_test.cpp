// The counts a table definition keeps: the row count moves both ways but never below zero, and
// each index's unique-entry count is its own.
#include "jet/table_def_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/error.h"
#include "write_checks.h"

namespace {

TEST(TableDefEdit, RowCountsMoveBothWaysButNeverBelowZero) {
  const std::string path = writetest::WritableVelda("tdef_rows");
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::PageCache& cache = db.cache();
  cache.file().BeginWriting();
  const jet::TableDef def = jet::ReadTableDef(cache, db.FindTable("tblEmployee")->table_def);
  jet::AddToRowCount(cache, def, 3);
  cache.Flush();
  EXPECT_EQ(jet::ReadTableDef(cache, def.page).row_count, def.row_count + 3);
  jet::AddToRowCount(cache, def, -static_cast<int32_t>(def.row_count) - 10);
  cache.Flush();
  EXPECT_EQ(jet::ReadTableDef(cache, def.page).row_count, 0u);
  cache.file().EndWriting();
}

TEST(TableDefEdit, EachIndexHasItsOwnUniqueEntryCount) {
  const std::string path = writetest::WritableVelda("tdef_unique");
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::PageCache& cache = db.cache();
  cache.file().BeginWriting();
  const jet::TableDef def = jet::ReadTableDef(cache, db.FindTable("tblEmployee")->table_def);
  ASSERT_GE(def.real_indexes.size(), 3u);
  jet::AddToUniqueEntries(cache, def.page, 1, 5);
  cache.Flush();
  const jet::TableDef after = jet::ReadTableDef(cache, def.page);
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    EXPECT_EQ(after.real_indexes[i].unique_entries,
              def.real_indexes[i].unique_entries + (i == 1 ? 5 : 0))
        << "index " << i;
  }
  EXPECT_EQ(after.row_count, def.row_count);
  // An index whose count would lie past the first page: refused, nothing modified.
  EXPECT_THROW(jet::AddToUniqueEntries(cache, def.page, 400, 1), jet::Error);
  int writes = 0;
  cache.SetWriteHook([&](jet::PageNumber) { ++writes; });
  cache.Flush();
  EXPECT_EQ(writes, 0);
  cache.file().EndWriting();
}

}  // namespace
