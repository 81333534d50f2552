// Memo and OLE values: stored inline or in a long-value row of the column's own pages, read back
// whole; chains of rows as Access writes them read in order; damaged definitions and chains give
// an error naming the place, never a huge allocation or a loop.
#include "jet/long_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/byte_order.h"
#include "jet/error.h"
#include "page_images.h"

namespace {

using pagetest::PointerBytes;

// A definition as a row holds it: length and kind, first row, 4 zero bytes, inline data.
std::string Definition(uint32_t length, uint8_t kind, jet::RowPointer first,
                       const std::string& data = "") {
  std::string out;
  jet::AppendLittleEndian(&out, length | static_cast<uint32_t>(kind) << 24, 4);
  out += PointerBytes(first);
  out.append(4, '\0');
  return out + data;
}

std::string Read(jet::PageCache& cache, const std::string& definition) {
  std::string out;
  jet::ReadLongValue(cache, reinterpret_cast<const uint8_t*>(definition.data()), definition.size(),
                     &out);
  return out;
}

std::string Refusal(jet::PageCache& cache, const std::string& definition) {
  try {
    Read(cache, definition);
  } catch (const jet::Error& e) {
    return e.what();
  }
  return "no error";
}

// A table whose Memo column 1 has its long-value maps on page 3 (owned: row 0, free: row 1).
struct MemoTable {
  std::unique_ptr<jet::PageCache> cache = pagetest::BlankDatabase(6);
  jet::TableDef def;
  jet::Column memo;

  MemoTable() {
    pagetest::PutDataPage(*cache, 3, 0,
                          {{0, pagetest::InlineMap(0, {})}, {0, pagetest::InlineMap(0, {})}});
    memo.name = "Notes";
    memo.type = jet::kTypeMemo;
    memo.number = 1;
    def.page = 4;
    def.columns = {memo};
    def.long_value_maps = {{1, {3, 0}, {3, 1}}};
  }
};

TEST(StoreLongValue, ShortValuesInlineLongerOnesInARowOfTheColumnsPages) {
  MemoTable table;
  jet::PageCache& cache = *table.cache;
  const std::string empty = jet::StoreLongValue(cache, table.def, table.memo, "");
  EXPECT_EQ(empty.size(), jet::kLongValueDefinitionSize);
  EXPECT_EQ(Read(cache, empty), "");
  const std::string inline_value(jet::kMaxInlineLongValue, 'i');
  const std::string small = jet::StoreLongValue(cache, table.def, table.memo, inline_value);
  EXPECT_EQ(small.size(), jet::kLongValueDefinitionSize + inline_value.size());
  EXPECT_EQ(Read(cache, small), inline_value);
  EXPECT_EQ(cache.end_page(), 6u) << "nothing stored outside the row";

  const std::string first_value(jet::kMaxInlineLongValue + 1, 'a');
  const std::string first = jet::StoreLongValue(cache, table.def, table.memo, first_value);
  const std::string second_value(300, 'b');
  const std::string second = jet::StoreLongValue(cache, table.def, table.memo, second_value);
  cache.Flush();
  EXPECT_EQ(first.size(), jet::kLongValueDefinitionSize);
  EXPECT_EQ(Read(cache, first), first_value);
  EXPECT_EQ(Read(cache, second), second_value);
  // One new long-value page, in both of the column's maps, holds both.
  EXPECT_EQ(cache.page_count(), 7u);
  EXPECT_EQ(jet::DataPageOwner(*cache.Read(6)), jet::kLongValueOwner);
  EXPECT_EQ(pagetest::MapPages(cache, {3, 0}), (std::vector<jet::PageNumber>{6}));
  EXPECT_EQ(pagetest::MapPages(cache, {3, 1}), (std::vector<jet::PageNumber>{6}));
  EXPECT_EQ(jet::SlotCount(*cache.Read(6), cache), 2);
}

TEST(StoreLongValue, TheLargestSingleRowValueAndNoMore) {
  MemoTable table;
  jet::PageCache& cache = *table.cache;
  const std::string largest(jet::kMaxSingleRowLongValue, 'L');
  const std::string definition = jet::StoreLongValue(cache, table.def, table.memo, largest);
  cache.Flush();
  EXPECT_EQ(Read(cache, definition), largest);
  EXPECT_THROW(jet::StoreLongValue(cache, table.def, table.memo,
                                   std::string(jet::kMaxSingleRowLongValue + 1, 'L')),
               jet::Error);
}

TEST(ReadLongValue, ChainsOfRowsReadInOrderToTheirLength) {
  auto cache = pagetest::BlankDatabase(6);
  // Each row of a chain: the pointer to the next, then its piece; rows in any slot order.
  pagetest::PutDataPage(*cache, 5, jet::kLongValueOwner,
                        {{0, PointerBytes({5, 2}) + "abc"},
                         {0, PointerBytes({0, 0}) + "ghij"},
                         {0, PointerBytes({5, 1}) + "def"},
                         {0, "hello world"}});
  EXPECT_EQ(Read(*cache, Definition(8, 0x00, {5, 0})), "abcdefgh") << "the last piece is cut";
  EXPECT_EQ(Read(*cache, Definition(5, 0x40, {5, 3})), "hello") << "one row: the data itself";
}

TEST(ReadLongValue, DamagedDefinitionsAndChainsAreNamed) {
  auto cache = pagetest::BlankDatabase(6);
  pagetest::PutDataPage(
      *cache, 5, jet::kLongValueOwner,
      {{0, PointerBytes({5, 1}) + "abc"}, {0, PointerBytes({5, 0}) + "def"}, {0, "x"}});
  EXPECT_NE(Refusal(*cache, Definition(20, 0x00, {5, 0})).find("comes back to row 0 (a loop)"),
            std::string::npos);
  pagetest::PutDataPage(*cache, 5, jet::kLongValueOwner,
                        {{0, PointerBytes({0, 0}) + "abc"}, {0, "x"}});
  EXPECT_NE(Refusal(*cache, Definition(10, 0x00, {5, 0})).find("chain ends after 3 of 10 bytes"),
            std::string::npos);
  EXPECT_NE(Refusal(*cache, Definition(1u << 29, 0x00, {5, 0})).find("more than the whole file"),
            std::string::npos);
  EXPECT_NE(Refusal(*cache, Definition(4, 0x40, {5, 1})).find("holds 1 bytes, not the 4"),
            std::string::npos);
  EXPECT_NE(Refusal(*cache, Definition(2, 0x00, {5, 1})).find("holds no data"), std::string::npos);
  EXPECT_NE(Refusal(*cache, Definition(5, 0x80, {0, 0}, "abc")).find("overruns its row"),
            std::string::npos);
  EXPECT_NE(Refusal(*cache, Definition(5, 0xC0, {5, 0})).find("unknown long value kind"),
            std::string::npos);
  EXPECT_NE(Refusal(*cache, Definition(5, 0x40, {9, 0})).find("outside the file"),
            std::string::npos);
  EXPECT_NE(Refusal(*cache, Definition(5, 0x40, {2, 0})).find("not a data page"),
            std::string::npos);
  EXPECT_NE(Refusal(*cache, std::string(11, '\0')).find("shorter than 12"), std::string::npos);
}

}  // namespace
