// Rows taken apart and built again: every stored row of the sample and of files Access wrote is
// rebuilt from its columns byte for byte, and rows built here are read back as built.
#include "jet/row_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/byte_order.h"
#include "jet/database.h"
#include "jet/row.h"
#include "jet/stored_value.h"
#include "page_images.h"
#include "support/test_env.h"

namespace {

struct RebuildCount {
  size_t rows = 0;
  size_t exact = 0;  // byte for byte
  std::string first_difference;
};

// The row with the fixed-area bytes of its NULL columns cleared: Access leaves old bytes there,
// a rebuilt row has zeros; neither is ever read.
std::string WithoutStaleBytes(const jet::TableDef& def, const uint8_t* row, size_t length) {
  std::string out(reinterpret_cast<const char*>(row), length);
  const size_t columns = jet::LoadU16(row);
  const uint8_t* mask = row + length - (columns + 7) / 8;
  for (const jet::Column& c : def.columns) {
    if (!c.fixed() || c.type == jet::kTypeBoolean) continue;
    if (c.number < columns && ((mask[c.number / 8] >> (c.number % 8)) & 1)) continue;
    const size_t size = jet::StoredSize(c);
    if (2 + c.fixed_offset + size <= length) out.replace(2 + c.fixed_offset, size, size, '\0');
  }
  return out;
}

// Rebuilds every live row of every table of `path` from its split columns. Every rebuilt row
// must read back as the same values; rows of tables without deleted columns, written with the
// table's present column count, must come out byte for byte.
RebuildCount RebuildAll(const std::string& path, const std::string& password) {
  RebuildCount count;
  jet::Database db = jet::Database::Open(path, password);
  jet::PageCache& cache = db.cache();
  for (const jet::CatalogueEntry& entry : db.Tables()) {
    if (entry.kind != jet::TableKind::kLocal && entry.kind != jet::TableKind::kSystem) continue;
    const jet::TableDef& def = db.GetTableDef(entry.name);
    jet::RowDecoder decoder(cache, def);
    std::vector<jet::Value> original, again;
    jet::TableCursor cursor = db.OpenTable(entry.name);
    while (cursor.Next()) {
      jet::PageRef page = cache.Read(cursor.page());
      const jet::RowSlot slot = jet::ReadSlot(*page, cursor.slot(), cache);
      if (slot.overflow) continue;
      const uint8_t* row = page->data() + slot.offset;
      const jet::StoredColumns columns = jet::SplitRow(def, row, slot.length, cache, page->number);
      const std::string rebuilt = jet::BuildRow(def, columns, slot.length);
      ++count.rows;
      decoder.Decode(row, slot.length, page->number, &original);
      decoder.Decode(reinterpret_cast<const uint8_t*>(rebuilt.data()), rebuilt.size(), page->number,
                     &again);
      const bool comparable =
          def.max_columns == def.columns.size() && jet::LoadU16(row) == def.max_columns;
      const std::string where = entry.name + " page " + std::to_string(page->number) + " slot " +
                                std::to_string(cursor.slot());
      EXPECT_EQ(original, again) << path << ": " << where;
      if (!comparable || rebuilt == WithoutStaleBytes(def, row, slot.length)) {
        ++count.exact;
      } else if (count.first_difference.empty()) {
        count.first_difference = where;
      }
    }
  }
  return count;
}

TEST(RowLayout, RebuildsEveryStoredRowByteForByte) {
  std::vector<std::string> files{testenv::FixturePath("velda_sample.mdb")};
  if (auto shared = testenv::SharedDir()) {
    for (const char* name :
         {"compIndexTestV2000.mdb", "delColTestV2000.mdb", "fixedTextTestV2000.mdb",
          "indexTestV2000.mdb", "overflowTestV2000.mdb", "test2V2000.mdb",
          "testUnicodeCompV2003.mdb", "queryTestV2000.mdb"}) {
      files.push_back(*shared + "/fixtures/real/" + name);
    }
  }
  for (const std::string& file : files) {
    RebuildCount count;
    try {
      count = RebuildAll(file, file.find("velda") != std::string::npos ? "qarnivel" : "");
    } catch (const jet::Error& e) {
      ADD_FAILURE() << file << ": " << e.what();
      continue;
    }
    EXPECT_GT(count.rows, 0u) << file;
    EXPECT_EQ(count.exact, count.rows)
        << file << ": first difference at " << count.first_difference;
  }
}

// A table of every kind of column, numbered with a gap (a deleted column) and stored in another
// order than its variable-column indexes.
jet::TableDef MixedTable() {
  jet::TableDef def;
  def.page = 5;
  auto add = [&](const char* name, uint8_t type, uint16_t number, uint8_t flags, uint16_t length,
                 uint16_t fixed_offset, uint16_t var_index) {
    jet::Column c;
    c.name = name;
    c.type = type;
    c.number = number;
    c.flags = flags;
    c.length = length;
    c.fixed_offset = fixed_offset;
    c.var_index = var_index;
    def.columns.push_back(c);
  };
  add("Id", jet::kTypeLong, 0, 0x03, 4, 0, 0);
  add("Active", jet::kTypeBoolean, 1, 0x03, 1, 0, 0);
  add("Notes", jet::kTypeText, 4, 0x02, 100, 0, 1);
  add("Code", jet::kTypeText, 2, 0x02, 20, 0, 0);
  add("Rate", jet::kTypeDouble, 5, 0x03, 8, 4, 0);
  def.max_columns = 6;  // column 3 was deleted
  def.variable_columns = 2;
  return def;
}

std::string Bytes(const jet::StoredRow& row, const jet::Column& c) {
  const std::optional<std::string_view> bytes = row.Bytes(c);
  return bytes ? std::string(*bytes) : "<null>";
}

TEST(RowLayout, BuildsRowsThatReadBackColumnByColumnWithOrWithoutPadding) {
  auto cache = pagetest::BlankFile(1);
  const jet::TableDef def = MixedTable();
  jet::StoredColumns columns(def.max_columns);
  columns[0] = std::string("\x01\x00\x00\x00", 4);
  columns[1] = std::string();  // Yes
  columns[2] = std::string("C\0D\0", 4);
  columns[5] = std::string(8, '\x11');
  for (size_t pad_to : {size_t{0}, size_t{64}}) {
    const std::string row = jet::BuildRow(def, columns, pad_to);
    if (pad_to != 0) {
      EXPECT_EQ(row.size(), pad_to);
    }
    EXPECT_EQ(jet::LoadU16(reinterpret_cast<const uint8_t*>(row.data())), 6) << "column count";
    const jet::StoredRow stored(def, reinterpret_cast<const uint8_t*>(row.data()), row.size(),
                                *cache, 0);
    EXPECT_EQ(Bytes(stored, def.columns[0]), *columns[0]);
    EXPECT_EQ(Bytes(stored, def.columns[1]), "") << "Yes: present, no bytes";
    EXPECT_EQ(Bytes(stored, def.columns[2]), "<null>");
    EXPECT_EQ(Bytes(stored, def.columns[3]), *columns[2]);
    EXPECT_EQ(Bytes(stored, def.columns[4]), *columns[5]);
    EXPECT_EQ(
        jet::SplitRow(def, reinterpret_cast<const uint8_t*>(row.data()), row.size(), *cache, 0),
        columns);
  }
  // No and NULL: absent from the null mask.
  jet::StoredColumns nulls(def.max_columns);
  const std::string row = jet::BuildRow(def, nulls);
  const jet::StoredRow stored(def, reinterpret_cast<const uint8_t*>(row.data()), row.size(), *cache,
                              0);
  for (const jet::Column& c : def.columns) EXPECT_EQ(Bytes(stored, c), "<null>") << c.name;
}

TEST(RowLayout, ColumnsAddedAfterARowWasWrittenReadAsNull) {
  auto cache = pagetest::BlankFile(1);
  jet::TableDef before = MixedTable();
  before.columns.pop_back();  // Rate, column 5, came later
  before.max_columns = 5;
  jet::StoredColumns columns(5);
  columns[0] = std::string(4, '\x07');
  columns[4] = std::string("N\0", 2);
  const std::string row = jet::BuildRow(before, columns);
  EXPECT_EQ(jet::LoadU16(reinterpret_cast<const uint8_t*>(row.data())), 5);
  const jet::TableDef after = MixedTable();
  const jet::StoredRow stored(after, reinterpret_cast<const uint8_t*>(row.data()), row.size(),
                              *cache, 0);
  EXPECT_EQ(Bytes(stored, after.columns[0]), std::string(4, '\x07'));
  EXPECT_EQ(Bytes(stored, after.columns[2]), std::string("N\0", 2));
  EXPECT_EQ(Bytes(stored, after.columns[4]), "<null>") << "beyond the row's column count";
}

TEST(RowLayout, RefusesRowsThatDoNotFitAndNamesThePageOfDamagedOnes) {
  auto cache = pagetest::BlankFile(1);
  const jet::TableDef def = MixedTable();
  jet::StoredColumns columns(def.max_columns);
  columns[0] = std::string(3, '\0');  // a Long takes 4 bytes
  EXPECT_THROW(jet::BuildRow(def, columns), jet::Error);
  columns[0].reset();
  columns[4] = std::string(jet::kMaxRowSize, 'x');
  EXPECT_THROW(jet::BuildRow(def, columns), jet::Error) << "longer than a page takes";

  columns[4] = std::string("N\0", 2);
  const std::string row = jet::BuildRow(def, columns);
  auto refusal = [&](const std::string& bytes) {
    try {
      const jet::StoredRow stored(def, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                  *cache, 9);
      for (const jet::Column& c : def.columns) stored.Bytes(c);
    } catch (const jet::Error& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(refusal(row), "no error");
  EXPECT_NE(refusal(row.substr(0, 1)).find("TEST.mdb: page 9: row of 1 bytes"), std::string::npos);
  // The column count claims more columns than the row has bytes for their mask.
  std::string claims = row;
  claims[0] = '\xFF';
  claims[1] = '\x7F';
  EXPECT_NE(refusal(claims).find("row claims 32767 columns"), std::string::npos);
  // The last variable offset (the end of data) points past the data.
  std::string overrun = row;
  const size_t end_of_data = row.size() - 1 - 2 - 2 * 2 - 2;
  overrun[end_of_data] = '\xF0';
  EXPECT_NE(refusal(overrun).find("column Notes spans bytes"), std::string::npos)
      << refusal(overrun);
}

}  // namespace
