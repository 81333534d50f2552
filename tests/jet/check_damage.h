// The velda sample damaged in one place, and what the full check says about it: shared by the
// tests of the check's parts.
#ifndef MDBTOMYSQL_TESTS_JET_CHECK_DAMAGE_H_
#define MDBTOMYSQL_TESTS_JET_CHECK_DAMAGE_H_

#include <gtest/gtest.h>

#include <string>

#include "jet/byte_order.h"
#include "jet/check.h"
#include "jet/data_page.h"
#include "jet/table_def_layout.h"
#include "jet/usage_map.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace checktest {

constexpr size_t kPage = jet::kPageSize;

inline std::string Velda() { return testenv::FileBytes(testenv::FixturePath("velda_sample.mdb")); }

inline jet::Database Open(const std::string& bytes) {
  return jet::Database::OpenMemory("VELDA.mdb", bytes, "qarnivel");
}

// Every error of the full check, one per line.
inline std::string Errors(const std::string& bytes) {
  jet::Database db = Open(bytes);
  std::string out;
  for (const std::string& e : jet::CheckDatabase(db).errors) out += e + "\n";
  return out;
}

inline uint8_t* At(std::string* bytes, size_t offset) {
  return reinterpret_cast<uint8_t*>(bytes->data()) + offset;
}

// The file offset of the descriptor of `column` of `table` (its definition's first page).
inline size_t ColumnDescriptor(const std::string& bytes, const std::string& table,
                               const std::string& column) {
  jet::Database db = Open(bytes);
  const jet::TableDef& def = db.GetTableDef(table);
  const int index = def.ColumnIndex(column);
  EXPECT_GE(index, 0) << column;
  return def.page * kPage + jet::kTableDefHeader +
         jet::kTableDefRealIndexHeader * def.real_indexes.size() +
         jet::kColumnDescriptorSize * static_cast<size_t>(index);
}

// The file offset of the byte of `table`'s page map (or free-space map) that holds the bit of
// page `page`, which the map covers.
inline size_t MapByte(const std::string& bytes, const std::string& table, bool free_space,
                      jet::PageNumber page) {
  jet::Database db = Open(bytes);
  const jet::TableDef& def = db.GetTableDef(table);
  const jet::RowPointer where = free_space ? def.free_space : def.owned_pages;
  const jet::UsageMap map = jet::UsageMap::Load(db.cache(), where);
  if (!map.bitmap_pages().empty()) {  // a reference map: bitmap pages of 32736 pages each
    return map.bitmap_pages()[page / 32736] * kPage + 4 + page % 32736 / 8;
  }
  jet::PageRef holder = db.cache().Read(where.page);
  const jet::RowSlot slot = jet::ReadSlot(*holder, where.row, db.cache());
  const uint8_t* row = holder->data() + slot.offset;
  return where.page * kPage + slot.offset + 5 + (page - jet::LoadU32(row + 1)) / 8;
}

// The page of the first row of `table`.
inline jet::PageNumber FirstRowPage(const std::string& bytes, const std::string& table) {
  jet::Database db = Open(bytes);
  jet::TableCursor rows = db.OpenTable(table);
  return rows.Next() ? rows.page() : 0;
}

}  // namespace checktest

#endif  // MDBTOMYSQL_TESTS_JET_CHECK_DAMAGE_H_
