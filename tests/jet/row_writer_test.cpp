// Building rows: every stored row of the sample and of files Access wrote is rebuilt from its
// columns byte for byte, values are stored as Jet stores them, and rows added to a table read
// back through the engine and through mdbtools.
#include "jet/row_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "jet/byte_order.h"
#include "jet/check.h"
#include "jet/row.h"
#include "jet/data_page_edit.h"
#include "jet/database.h"
#include "jet/page_allocator.h"
#include "jet/usage_map.h"
#include "jet/usage_map_edit.h"
#include "jet/write_guard.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

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
    const size_t size = jet::FixedSize(c.type) != 0 ? jet::FixedSize(c.type) : c.length;
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
      decoder.Decode(reinterpret_cast<const uint8_t*>(rebuilt.data()), rebuilt.size(),
                     page->number, &again);
      const bool comparable = def.max_columns == def.columns.size() &&
                              jet::LoadU16(row) == def.max_columns;
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

TEST(RowWriterTest, RebuildsEveryStoredRowByteForByte) {
  std::vector<std::string> files{testenv::FixturePath("velda_sample.mdb")};
  if (auto shared = testenv::SharedDir()) {
    for (const char* name : {"compIndexTestV2000.mdb",
                             "delColTestV2000.mdb", "fixedTextTestV2000.mdb",
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
    EXPECT_EQ(count.exact, count.rows) << file << ": first difference at " << count.first_difference;
  }
}

TEST(RowWriterTest, StoresTextAsJetDoes) {
  EXPECT_EQ(jet::EncodeText("YES", true), std::string("\xFF\xFEYES", 5));
  EXPECT_EQ(jet::EncodeText("YES", false), std::string("Y\0E\0S\0", 6));
  EXPECT_EQ(jet::EncodeText("NO", true), std::string("N\0O\0", 4));  // nothing to save
  EXPECT_EQ(jet::EncodeText("caf\xC3\xA9", true), std::string("\xFF\xFE" "caf\xE9", 6));
  EXPECT_EQ(jet::EncodeText("\xE2\x82\xAC\x31\x32", true), std::string("\xAC\x20\x31\0\x32\0", 6));
}

TEST(RowWriterTest, RefusesValuesThatDoNotSuitTheColumn) {
  jet::Column text;
  text.name = "ISMySQLDB";
  text.type = jet::kTypeText;
  text.length = 6;  // three characters
  text.flags = 0x02;
  EXPECT_NO_THROW(jet::StoreValue(text, std::string("YES")));
  EXPECT_THROW(jet::StoreValue(text, std::string("YESS")), jet::Error);
  EXPECT_THROW(jet::StoreValue(text, int64_t{1}), jet::Error);
  jet::Column integer;
  integer.name = "Type";
  integer.type = jet::kTypeInteger;
  integer.flags = 0x03;
  EXPECT_EQ(jet::StoreValue(integer, int64_t{-2}), std::string("\xFE\xFF", 2));
  EXPECT_THROW(jet::StoreValue(integer, int64_t{40000}), jet::Error);
  EXPECT_THROW(jet::StoreValue(integer, std::string("4")), jet::Error);
}

}  // namespace
