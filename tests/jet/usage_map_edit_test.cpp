// Editing usage maps: bits set and cleared in inline maps, a window that moves to take a page it
// did not reach, a map that becomes a reference map when no window holds its pages, and rows
// that are damaged or too short refused without a change.
#include "jet/usage_map_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/error.h"
#include "jet/usage_map.h"
#include "page_images.h"

namespace {

using pagetest::MapPages;
using Pages = std::vector<jet::PageNumber>;

constexpr jet::RowPointer kMap{3, 0};

// A file of `pages` pages with one usage map, row 0 of page 3.
std::unique_ptr<jet::PageCache> FileWithMap(size_t pages, const std::string& row) {
  auto cache = pagetest::BlankDatabase(pages, 1024);
  pagetest::PutDataPage(*cache, 3, 0, {{0, row}});
  return cache;
}

TEST(UsageMapEdit, SetsAndClearsBitsInsideTheWindow) {
  auto cache = FileWithMap(700, pagetest::InlineMap(0, {4}));
  jet::AddToUsageMap(*cache, kMap, 9);
  jet::AddToUsageMap(*cache, kMap, 4);  // already there
  cache->Flush();
  EXPECT_EQ(MapPages(*cache, kMap), (Pages{4, 9}));
  jet::RemoveFromUsageMap(*cache, kMap, 4);
  jet::RemoveFromUsageMap(*cache, kMap, 600);  // never there, outside the window: fine
  cache->Flush();
  EXPECT_EQ(MapPages(*cache, kMap), (Pages{9}));
}

TEST(UsageMapEdit, MovesTheWindowWhenAllItsPagesStillFit) {
  auto cache = FileWithMap(700, pagetest::InlineMap(0, {100, 130}));
  jet::AddToUsageMap(*cache, kMap, 603);
  cache->Flush();
  EXPECT_EQ(MapPages(*cache, kMap), (Pages{100, 130, 603}));
  jet::PageRef page = cache->Read(3);
  const uint8_t* row = page->data() + jet::ReadSlot(*page, 0, *cache).offset;
  EXPECT_EQ(row[0], jet::kInlineMap);
  EXPECT_EQ(jet::LoadU32(row + 1), 96u) << "the window starts at a multiple of 8";
  EXPECT_EQ(jet::ReadSlot(*page, 0, *cache).length, jet::kAccessMapRowSize) << "same row size";
}

TEST(UsageMapEdit, BecomesAReferenceMapWhenNoWindowHoldsItsPages) {
  auto cache = FileWithMap(700, pagetest::InlineMap(0, {10, 20}));
  jet::AddToUsageMap(*cache, kMap, 650);
  cache->Flush();
  EXPECT_EQ(MapPages(*cache, kMap), (Pages{10, 20, 650}));
  const jet::UsageMap map = jet::UsageMap::Load(*cache, kMap);
  ASSERT_EQ(map.bitmap_pages().size(), (jet::kAccessMapRowSize - 1) / 4);
  const jet::PageNumber bitmap = map.bitmap_pages()[0];
  EXPECT_EQ(bitmap, 700u) << "a page of its own, allocated at the end";
  EXPECT_EQ(cache->Read(bitmap)->type(), jet::kPageUsageMap);
  EXPECT_FALSE(pagetest::MarkedFree(*cache, bitmap));
  // Editing the reference map: into its bitmap page.
  jet::AddToUsageMap(*cache, kMap, 300);
  jet::RemoveFromUsageMap(*cache, kMap, 10);
  cache->Flush();
  EXPECT_EQ(MapPages(*cache, kMap), (Pages{20, 300, 650}));
}

TEST(UsageMapEdit, RefusesRowsThatAreDamagedOrCannotReachThePage) {
  auto cache = FileWithMap(40, std::string("\x02\0\0\0\0\0", 6));  // no such map type
  EXPECT_THROW(jet::AddToUsageMap(*cache, kMap, 5), jet::Error);
  // A reference map with one bitmap page pointer reaches pages 0..32735 only.
  pagetest::PutDataPage(*cache, 3, 0, {{0, std::string("\x01\0\0\0\0", 5)}});
  try {
    jet::AddToUsageMap(*cache, kMap, 40000);
    ADD_FAILURE() << "no error";
  } catch (const jet::Error& e) {
    EXPECT_NE(std::string(e.what()).find("cannot reach page 40000"), std::string::npos) << e.what();
  }
  cache->Flush();
  EXPECT_EQ(cache->page_count(), 40u) << "no bitmap page was made";
  jet::RemoveFromUsageMap(*cache, kMap, 40000);  // nothing to remove: fine
}

}  // namespace
