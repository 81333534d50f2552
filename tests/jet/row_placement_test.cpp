// Where rows go: new rows fill a data page of their table and then a new one entered in the
// table's maps; changed rows stay in their bytes, move down their page, or move to a row of their
// own that their first slot then points to; and each way reads back as the new row.
#include "jet/row_placement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/error.h"
#include "jet/row.h"
#include "page_images.h"

namespace {

// A table of one Text column whose definition is page 4, its maps rows 0 and 1 of page 3.
struct NameTable {
  std::unique_ptr<jet::PageCache> cache = pagetest::BlankDatabase(5);
  jet::TableDef def;

  NameTable() {
    pagetest::PutDataPage(*cache, 3, 0,
                          {{0, pagetest::InlineMap(0, {})}, {0, pagetest::InlineMap(0, {})}});
    jet::Column name;
    name.name = "Name";
    name.type = jet::kTypeText;
    name.length = 2 * 255;
    name.flags = 0x02;
    def.page = 4;
    def.owned_pages = {3, 0};
    def.free_space = {3, 1};
    def.columns = {name};
    def.max_columns = 1;
    def.variable_columns = 1;
  }
  jet::StoredColumns Columns(const std::string& text) const {
    return jet::EncodeRow(def, {{"Name", text}}, "t", "TEST.mdb");
  }
  jet::RowPointer Insert(const std::string& text) {
    const jet::RowPointer at = jet::InsertRow(*cache, def, jet::BuildRow(def, Columns(text)));
    cache->Flush();
    return at;
  }
  void Replace(jet::RowPointer where, const std::string& text) {
    jet::ReplaceRow(*cache, def, where, Columns(text));
    cache->Flush();
  }
  std::string Read(jet::RowPointer header) {
    const jet::RowLocation at = jet::LocateRow(*cache, header);
    std::vector<jet::Value> values;
    jet::RowDecoder(*cache, def).Decode(at.bytes(), at.slot.length, at.where.page, &values);
    return jet::TextValue(values[0]);
  }
};

TEST(InsertRow, FillsAPageOfTheTableThenANewOneInItsMaps) {
  NameTable table;
  const jet::RowPointer first = table.Insert("Alice");
  EXPECT_EQ(first.Word(), (jet::RowPointer{5, 0}).Word()) << "a new page, the first slot";
  EXPECT_EQ(jet::DataPageOwner(*table.cache->Read(5)), 4u);
  EXPECT_EQ(pagetest::MapPages(*table.cache, {3, 0}), (std::vector<jet::PageNumber>{5}));
  EXPECT_EQ(pagetest::MapPages(*table.cache, {3, 1}), (std::vector<jet::PageNumber>{5}));
  EXPECT_EQ(table.Insert("Bob").Word(), (jet::RowPointer{5, 1}).Word());
  jet::RowPointer last = first;
  for (int i = 0; last.page == 5; ++i) last = table.Insert(std::string(200, 'a' + i % 26));
  EXPECT_EQ(last.Word(), (jet::RowPointer{6, 0}).Word()) << "the next page once this one is full";
  EXPECT_EQ(table.Read(first), "Alice");
  EXPECT_EQ(table.Read({5, 1}), "Bob");
  // A row longer than a page takes is refused before anything is modified.
  const jet::PageNumber end = table.cache->end_page();
  EXPECT_THROW(jet::InsertRow(*table.cache, table.def, std::string(jet::kMaxRowSize + 1, 'x')),
               jet::Error);
  EXPECT_EQ(table.cache->end_page(), end);
}

TEST(ReplaceRow, InItsOwnBytesOrOnItsPageWhenThereIsRoom) {
  NameTable table;
  const jet::RowPointer a = table.Insert("Alice");
  const jet::RowPointer b = table.Insert("Bob");
  const jet::RowPointer c = table.Insert("Carol");
  const jet::RowSlot before = jet::ReadSlot(*table.cache->Read(5), 1, *table.cache);
  table.Replace(b, "Al");
  const jet::RowSlot shorter = jet::ReadSlot(*table.cache->Read(5), 1, *table.cache);
  EXPECT_EQ(shorter.offset, before.offset) << "in its own bytes, padded";
  EXPECT_EQ(shorter.length, before.length);
  EXPECT_EQ(table.Read(b), "Al");
  table.Replace(b, "Bartholomew the Longer");
  EXPECT_EQ(table.Read(a), "Alice");
  EXPECT_EQ(table.Read(b), "Bartholomew the Longer");
  EXPECT_EQ(table.Read(c), "Carol") << "the rows after it moved down";
  EXPECT_FALSE(jet::ReadSlot(*table.cache->Read(5), 1, *table.cache).overflow);
}

TEST(ReplaceRow, MovesARowWithoutRoomAndFollowsItWhenItChangesAgain) {
  NameTable table;
  const jet::RowPointer header = table.Insert("Short");
  while (table.Insert(std::string(200, 'f')).page == 5) {
  }
  ASSERT_LT(jet::FreeSpace(*table.cache->Read(5)), 2 * 200) << "no room for the longer row";
  const std::string longer(220, 'L');
  table.Replace(header, longer);
  const jet::RowSlot slot = jet::ReadSlot(*table.cache->Read(5), header.row, *table.cache);
  EXPECT_TRUE(slot.overflow) << "the first slot points to the moved row";
  const jet::RowLocation moved = jet::LocateRow(*table.cache, header);
  EXPECT_NE(moved.where.page, 5u);
  EXPECT_TRUE(moved.slot.deleted) << "hidden from scans";
  EXPECT_EQ(table.Read(header), longer);
  // Shorter again: in the moved row's bytes; the first slot still points there.
  table.Replace(header, "Tiny");
  EXPECT_EQ(jet::LocateRow(*table.cache, header).where.Word(), moved.where.Word());
  EXPECT_EQ(table.Read(header), "Tiny");
  // A deleted row cannot be replaced.
  jet::Page& page = table.cache->Modify(5);
  uint8_t* word = page.bytes.data() + jet::kDataPageHeader + 2 * 1;
  jet::StoreU16(word, static_cast<uint16_t>(jet::LoadU16(word) | jet::kSlotDeletedFlag));
  table.cache->Flush();
  EXPECT_THROW(table.Replace({5, 1}, "x"), jet::Error);
}

}  // namespace
