// Data pages: slots read against the page, and moved rows followed to where their bytes are.
#include "jet/data_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/byte_order.h"
#include "jet/error.h"
#include "page_images.h"

namespace {

using pagetest::MovedTo;

std::string BytesAt(const jet::RowLocation& at) {
  return std::string(reinterpret_cast<const char*>(at.bytes()), at.slot.length);
}

std::string Refusal(jet::PageCache& cache, jet::RowPointer header) {
  try {
    jet::LocateRow(cache, header);
  } catch (const jet::Error& e) {
    return e.what();
  }
  return "no error";
}

TEST(LocateRow, FollowsMovedRowsAcrossPagesToTheirBytes) {
  auto cache = pagetest::BlankFile(6);
  // Page 3: a row in place, and a header that moved to page 4 slot 1, which moved on to slot 0.
  pagetest::PutDataPage(*cache, 3, 9, {{0, "in place"}, MovedTo({4, 1})});
  pagetest::PutDataPage(
      *cache, 4, 9,
      {{jet::kSlotDeletedFlag, "moved twice"}, MovedTo({4, 0}, jet::kSlotDeletedFlag)});
  const jet::RowLocation here = jet::LocateRow(*cache, {3, 0});
  EXPECT_EQ(BytesAt(here), "in place");
  EXPECT_EQ(here.where.Word(), (jet::RowPointer{3, 0}).Word());
  const jet::RowLocation moved = jet::LocateRow(*cache, {3, 1});
  EXPECT_EQ(BytesAt(moved), "moved twice");
  EXPECT_EQ(moved.where.page, 4u);
  EXPECT_EQ(moved.where.row, 0);
  EXPECT_TRUE(moved.slot.deleted) << "a moved row's data is hidden from scans";
}

TEST(LocateRow, FollowsSixtyFourMovesAndCallsMoreALoop) {
  auto cache = pagetest::BlankFile(5);
  // Slot i points to slot i + 1; the last slot holds the data.
  auto chain = [&](int moves) {
    std::vector<jet::SlotRow> rows;
    for (int i = 0; i < moves; ++i) rows.push_back(MovedTo({3, static_cast<uint8_t>(i + 1)}));
    rows.push_back({jet::kSlotDeletedFlag, "end"});
    pagetest::PutDataPage(*cache, 3, 9, rows);
  };
  chain(64);
  EXPECT_EQ(BytesAt(jet::LocateRow(*cache, {3, 0})), "end");
  chain(65);
  EXPECT_NE(Refusal(*cache, {3, 0}).find("more than 64 times (a loop?)"), std::string::npos);
  // A row that points to itself.
  pagetest::PutDataPage(*cache, 3, 9, {MovedTo({3, 0})});
  EXPECT_NE(Refusal(*cache, {3, 0}).find("(a loop?)"), std::string::npos);
}

TEST(LocateRow, RefusesPointersCutShortOutsideTheFileOrToOtherPages) {
  auto cache = pagetest::BlankFile(5);
  jet::Page& definition = cache->Modify(2);
  definition.bytes[0] = jet::kPageTableDef;
  cache->Flush();
  pagetest::PutDataPage(
      *cache, 3, 9,
      {{jet::kSlotOverflowFlag, "abc"}, MovedTo({0, 0}), MovedTo({5, 0}), MovedTo({2, 0})});
  EXPECT_NE(Refusal(*cache, {3, 0}).find("page 3: moved row's pointer is cut short"),
            std::string::npos);
  EXPECT_NE(Refusal(*cache, {3, 1}).find("points to page 0, outside the file"), std::string::npos);
  EXPECT_NE(Refusal(*cache, {3, 2}).find("points to page 5, outside the file"), std::string::npos);
  EXPECT_NE(Refusal(*cache, {3, 3}).find("page 2: moved row points to a page of type 2"),
            std::string::npos);
  EXPECT_NE(Refusal(*cache, {3, 4}).find("row 4 does not exist"), std::string::npos);
}

TEST(ReadSlot, RowsEndWhereThePreviousSlotsRowBegins) {
  auto cache = pagetest::BlankFile(4);
  pagetest::PutDataPage(*cache, 3, 7, {{0, "first"}, {jet::kSlotDeletedFlag, ""}, {0, "third"}});
  jet::PageRef page = cache->Read(3);
  EXPECT_EQ(jet::DataPageOwner(*page), 7u);
  EXPECT_EQ(jet::SlotCount(*page, *cache), 3);
  EXPECT_EQ(jet::FreeSpace(*page), jet::kEmptyDataPageSpace - 10 - 3 * 2);
  const jet::RowSlot third = jet::ReadSlot(*page, 2, *cache);
  EXPECT_EQ(third.offset, jet::kPageSize - 10);
  EXPECT_EQ(third.length, 5);
  EXPECT_TRUE(jet::ReadSlot(*page, 1, *cache).deleted);
  EXPECT_EQ(jet::ReadSlot(*page, 1, *cache).length, 0);

  // A slot whose offset lies in the slot table: damage, unless the row is deleted (never read).
  jet::Page& damaged = cache->Modify(3);
  const uint16_t word = jet::LoadU16(damaged.data() + jet::kDataPageHeader + 4);
  jet::StoreU16(damaged.bytes.data() + jet::kDataPageHeader + 4, 4);
  EXPECT_THROW(jet::ReadSlot(damaged, 2, *cache), jet::Error);
  jet::StoreU16(damaged.bytes.data() + jet::kDataPageHeader + 4, 4 | jet::kSlotDeletedFlag);
  EXPECT_EQ(jet::ReadSlot(damaged, 2, *cache).length, 0);
  jet::StoreU16(damaged.bytes.data() + jet::kDataPageHeader + 4, word);
  // A slot count whose table would run past the page.
  jet::StoreU16(damaged.bytes.data() + jet::kDataPageSlotCount, 2042);
  EXPECT_THROW(jet::SlotCount(damaged, *cache), jet::Error);
}

}  // namespace
