// Damaged files: every offset, count, length and chain is checked against the file before it is
// followed, so damage gives a jet::Error naming the place, never a crash, a hang or a huge
// allocation. Each case damages the real bytes of the sample in one place.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "jet/byte_order.h"
#include "jet/data_page.h"
#include "jet/database.h"
#include "support/test_env.h"

namespace {

constexpr size_t kPage = jet::kPageSize;

std::string SampleBytes() {
  std::ifstream in(testenv::FixturePath("velda_sample.mdb"), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put16(std::string* bytes, size_t at, uint16_t v) {
  (*bytes)[at] = static_cast<char>(v & 0xFF);
  (*bytes)[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string* bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<char>(v >> (8 * i));
}

// Opens `bytes` and reads every row of `table`; returns the jet::Error's message or "".
std::string ReadTable(std::string bytes, const std::string& table) {
  try {
    jet::Database db = jet::Database::OpenMemory("VELDA.mdb", std::move(bytes), "qarnivel");
    jet::TableCursor rows = db.OpenTable(table);
    while (rows.Next()) {
    }
  } catch (const jet::Error& e) {
    return e.what();
  }
  return "";
}

// Where things are in the undamaged sample.
struct Layout {
  jet::PageNumber employee_def = 0;
  jet::PageNumber first_data_page = 0;  // first page of tblEmployee's rows
  jet::PageNumber memo_page = 0;        // first long-value row of EmpID 14's Remarks
  uint8_t memo_row = 0;
};

Layout FindLayout() {
  Layout layout;
  jet::Database db = jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), "qarnivel");
  const jet::TableDef& def = db.GetTableDef("tblEmployee");
  layout.employee_def = def.page;
  jet::TableCursor rows = db.OpenTable("tblEmployee");
  const jet::Column& remarks = *def.FindColumn("Remarks");
  while (rows.Next()) {
    if (layout.first_data_page == 0) layout.first_data_page = rows.page();
    if (std::get<int64_t>(rows[0]) != 14) continue;
    // Find the Remarks definition in the raw row: it holds the pointer to the first piece.
    jet::PageRef page = db.cache().Read(rows.page());
    jet::RowSlot slot = jet::ReadSlot(*page, rows.slot(), db.cache());
    const uint8_t* row = page->data() + slot.offset;
    size_t mask = (jet::LoadU16(row) + 7) / 8;
    size_t offsets = slot.length - mask - 4;
    size_t start = jet::LoadU16(row + offsets - 2 * remarks.var_index);
    auto first = jet::RowPointer::FromWord(jet::LoadU32(row + start + 4));
    layout.memo_page = first.page;
    layout.memo_row = first.row;
  }
  return layout;
}

TEST(Damage, TableDefinitionCountsAndChains) {
  const Layout layout = FindLayout();
  const size_t def_at = layout.employee_def * kPage;

  std::string columns = SampleBytes();
  Put16(&columns, def_at + 45, 0xFFFF);
  EXPECT_NE(ReadTable(columns, "tblEmployee").find("do not fit"), std::string::npos);

  std::string indexes = SampleBytes();
  Put32(&indexes, def_at + 51, 0x7FFFFFFF);
  EXPECT_NE(ReadTable(indexes, "tblEmployee").find("do not fit"), std::string::npos);

  std::string loop = SampleBytes();
  Put32(&loop, def_at + 4, layout.employee_def);  // the definition continues on itself
  EXPECT_NE(ReadTable(loop, "tblEmployee").find("too many pages"), std::string::npos);

  std::string beyond = SampleBytes();
  Put32(&beyond, def_at + 4, 0x00FFFFFF);
  EXPECT_NE(ReadTable(beyond, "tblEmployee").find("beyond the end of the file"), std::string::npos);

  std::string name = SampleBytes();
  const uint8_t* def = reinterpret_cast<const uint8_t*>(name.data()) + def_at;
  size_t names_at = 63 + 12 * jet::LoadU32(def + 51) + 25 * jet::LoadU16(def + 45);
  Put16(&name, def_at + names_at, 0xFFFF);  // the first column name runs past the definition
  EXPECT_NE(ReadTable(name, "tblEmployee").find("table definition is truncated"),
            std::string::npos);
}

TEST(Damage, RowSlotsAndRowsOnADataPage) {
  const Layout layout = FindLayout();
  const size_t page_at = layout.first_data_page * kPage;

  std::string slots = SampleBytes();
  Put16(&slots, page_at + 12, 4000);  // more slots than the page can hold
  EXPECT_NE(ReadTable(slots, "tblEmployee").find("does not fit the page"), std::string::npos);

  std::string offset = SampleBytes();
  Put16(&offset, page_at + 14, 0x1FFF);  // slot 0 starts past the page end
  EXPECT_NE(ReadTable(offset, "tblEmployee").find("outside the page's row area"),
            std::string::npos);

  std::string column_count = SampleBytes();
  uint16_t first_row =
      jet::LoadU16(reinterpret_cast<const uint8_t*>(column_count.data()) + page_at + 14) & 0x1FFF;
  Put16(&column_count, page_at + first_row, 0xFFFF);  // a row claiming 65535 columns
  EXPECT_NE(ReadTable(column_count, "tblEmployee").find("row claims 65535 columns"),
            std::string::npos);

  std::string moved = SampleBytes();
  uint16_t slot0 = jet::LoadU16(reinterpret_cast<const uint8_t*>(moved.data()) + page_at + 14);
  Put16(&moved, page_at + 14, slot0 | 0x4000);  // row 0 becomes a pointer to itself
  Put32(&moved, page_at + first_row, layout.first_data_page << 8);
  EXPECT_NE(ReadTable(moved, "tblEmployee").find("(a loop?)"), std::string::npos);
}

TEST(Damage, LongValueChainsAndLengths) {
  const Layout layout = FindLayout();
  ASSERT_NE(layout.memo_page, 0u);
  const size_t page_at = layout.memo_page * kPage;
  uint16_t offset = jet::LoadU16(reinterpret_cast<const uint8_t*>(SampleBytes().data()) + page_at +
                                 14 + 2 * layout.memo_row) &
                    0x1FFF;

  std::string loop = SampleBytes();
  Put32(&loop, page_at + offset, layout.memo_page << 8 | layout.memo_row);
  EXPECT_NE(ReadTable(loop, "tblEmployee").find("comes back to row"), std::string::npos);

  std::string cut = SampleBytes();
  Put32(&cut, page_at + offset, 0);
  EXPECT_NE(ReadTable(cut, "tblEmployee").find("chain ends after"), std::string::npos);

  std::string outside = SampleBytes();
  Put32(&outside, page_at + offset, 0x7FFFFF00);
  EXPECT_NE(ReadTable(outside, "tblEmployee").find("outside the file"), std::string::npos);
}

TEST(Damage, UsageMapListingPagesBeyondTheFile) {
  // Cut the file after the catalogue: the table's pages are listed but no longer there.
  std::string bytes = SampleBytes();
  const Layout layout = FindLayout();
  bytes.resize((layout.first_data_page) * kPage);
  EXPECT_NE(ReadTable(bytes, "tblEmployee").find("beyond the end of the file"), std::string::npos);
}

}  // namespace
