// Values that decode but that no sound file holds.
#include <gtest/gtest.h>

#include <string>

#include "check_damage.h"
#include "jet/row.h"

namespace {

using checktest::At;
using checktest::Errors;
using checktest::kPage;

// The file offset of the stored bytes of `column` in the tblEmployee row of EmpID `id`, and how
// that row is named in messages.
size_t ValueOffset(const std::string& bytes, int64_t id, const std::string& column,
                   std::string* where) {
  jet::Database db = checktest::Open(bytes);
  const jet::TableDef& def = db.GetTableDef("tblEmployee");
  jet::TableCursor rows = db.OpenTable("tblEmployee");
  while (rows.Next()) {
    if (std::get<int64_t>(rows[0]) != id) continue;
    const jet::StoredRow layout(def, rows.row_data(), rows.row_length(), db.cache(), rows.row_page());
    const std::optional<std::string_view> located = layout.Bytes(*def.FindColumn(column));
    EXPECT_TRUE(located.has_value());
    const auto* data = reinterpret_cast<const uint8_t*>(located->data());
    *where = "table tblEmployee: row page " + std::to_string(rows.page()) + " slot " +
             std::to_string(rows.slot()) + ": column " + column + " ";
    jet::PageRef page = db.cache().Read(rows.row_page());
    return rows.row_page() * kPage + static_cast<size_t>(data - page->data());
  }
  ADD_FAILURE() << "no EmpID " << id;
  return 0;
}

TEST(CheckRowValues, ADateOutsideJetsYearsIsDamage) {
  std::string bytes = checktest::Velda();
  std::string where;
  const size_t at = ValueOffset(bytes, 2, "JoinDate", &where);
  const double days = 1e10;
  std::memcpy(At(&bytes, at), &days, sizeof days);
  const std::string errors = Errors(bytes);
  EXPECT_NE(errors.find(where + "holds the date value 10000000000, outside the years 100 to 9999"),
            std::string::npos)
      << errors;
}

TEST(CheckRowValues, TextWithHalfASurrogatePairIsDamage) {
  // EmpID 10's name 王小明 is stored as two-byte units after the compressed-text mark FF FE and
  // the switch to two-byte characters (00).
  std::string bytes = checktest::Velda();
  std::string where;
  size_t at = ValueOffset(bytes, 10, "EmpName", &where);
  if (bytes[at] == '\xFF' && bytes[at + 1] == '\xFE') at += bytes[at + 2] == '\0' ? 3 : 2;
  jet::StoreU16(At(&bytes, at), 0xD800);
  const std::string errors = Errors(bytes);
  EXPECT_NE(errors.find(where + "holds half of a surrogate pair (U+D800)"), std::string::npos)
      << errors;
}

TEST(CheckRowValues, TheOffsetTableMustRunForwardToItsEnd) {
  // EmpID 12: every variable column NULL, so no value reads the end entry; mdbtools checks it and
  // drops the row.
  std::string bytes = checktest::Velda();
  jet::Database db = checktest::Open(bytes);
  const jet::TableDef& def = db.GetTableDef("tblEmployee");
  jet::TableCursor rows = db.OpenTable("tblEmployee");
  while (rows.Next() && std::get<int64_t>(rows[0]) != 12) {
  }
  const jet::StoredRow layout(def, rows.row_data(), rows.row_length(), db.cache(), rows.row_page());
  jet::PageRef page = db.cache().Read(rows.row_page());
  const size_t row = rows.row_page() * kPage + static_cast<size_t>(rows.row_data() - page->data());
  jet::StoreU16(At(&bytes, row + layout.data_end()), 0x8D06);
  const std::string errors = Errors(bytes);
  EXPECT_NE(errors.find("table tblEmployee: row page " + std::to_string(rows.page()) + " slot " +
                        std::to_string(rows.slot()) + ": the row's variable-column offset " +
                        std::to_string(layout.variable_count()) + " is 36102"),
            std::string::npos)
      << errors;
}

}  // namespace
