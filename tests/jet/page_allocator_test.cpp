// Page allocation through the global usage map: freed pages are reused before the file grows,
// pages 0..2 are never handed out, the map grows 32 pages at a time, and what cannot be done is
// refused before anything changes.
#include "jet/page_allocator.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "jet/byte_order.h"
#include "jet/error.h"
#include "page_images.h"

namespace {

using pagetest::MarkedFree;

TEST(AllocatePage, ReusesTheLowestFreePageInsideTheFileZeroed) {
  auto cache = pagetest::BlankDatabase(10);
  cache->Modify(6).bytes[100] = 0x55;  // old bytes of a dropped table's page
  cache->Flush();
  // Pages 2, 6 and 8 freed; page 2 (the catalogue's definition) must never be handed out.
  jet::FreePages(*cache, {2, 6, 8});
  cache->Flush();
  EXPECT_EQ(jet::AllocatePage(*cache), 6u);
  EXPECT_EQ(cache->Read(6)->bytes[100], 0) << "handed out zeroed";
  EXPECT_FALSE(MarkedFree(*cache, 6));
  EXPECT_EQ(jet::AllocatePage(*cache), 8u);
  EXPECT_EQ(jet::AllocatePage(*cache), 10u) << "then the file grows";
  EXPECT_EQ(jet::AllocatePage(*cache), 11u) << "after the page already added in this step";
  cache->Flush();
  EXPECT_EQ(cache->page_count(), 12u);
  EXPECT_FALSE(MarkedFree(*cache, 10));
  EXPECT_TRUE(MarkedFree(*cache, 12));
}

TEST(AllocatePage, GrowsTheMapBy32PagesBeforeThePageItDoesNotCover) {
  auto cache = pagetest::BlankDatabase(16, 16);  // the map covers exactly the file
  const std::string row1 = std::string(jet::kAccessMapRowSize, '\0');
  std::vector<jet::PageNumber> order;
  cache->SetWriteHook([&](jet::PageNumber p) { order.push_back(p); });
  EXPECT_EQ(jet::AllocatePage(*cache), 16u);
  cache->Flush();
  EXPECT_EQ(order, (std::vector<jet::PageNumber>{16, jet::kGlobalMapPage}))
      << "the new page before the map that says it is in use";
  jet::PageRef map = cache->Read(jet::kGlobalMapPage);
  EXPECT_EQ(jet::ReadSlot(*map, 0, *cache).length, jet::kInlineMapHeader + 2 + 4);
  EXPECT_FALSE(MarkedFree(*cache, 16));
  for (jet::PageNumber p = 17; p < 48; ++p) EXPECT_TRUE(MarkedFree(*cache, p)) << p;
  const jet::RowSlot second = jet::ReadSlot(*map, 1, *cache);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(map->data()) + second.offset, second.length),
            row1)
      << "the page's other row moved down whole";
}

TEST(AllocatePage, RefusesAGlobalMapItCannotUseWithoutChangingIt) {
  auto cache = pagetest::BlankDatabase(8);
  // A reference map (files above about 128 MB).
  std::string reference(jet::kAccessMapRowSize, '\0');
  reference[0] = static_cast<char>(jet::kReferenceMap);
  pagetest::PutDataPage(*cache, jet::kGlobalMapPage, 0, {{0, reference}});
  EXPECT_THROW(jet::AllocatePage(*cache), jet::Error);
  cache->Flush();
  EXPECT_EQ(cache->page_count(), 8u);
  // A map that covers the file but has no room on its page to grow.
  std::vector<jet::PageNumber> none;
  pagetest::PutDataPage(*cache, jet::kGlobalMapPage, 0,
                        {{0, pagetest::InlineMap(0, none, jet::kInlineMapHeader + 1)},
                         {0, std::string(jet::kEmptyDataPageSpace - 6 - 4, '\0')}});
  EXPECT_THROW(jet::AllocatePage(*cache), jet::Error);
}

TEST(FreePages, PagesOutsideTheMapStayInUse) {
  auto cache = pagetest::BlankDatabase(8, 16);
  jet::FreePages(*cache, {5, 7, 40});  // 40 lies beyond what the map covers
  cache->Flush();
  EXPECT_TRUE(MarkedFree(*cache, 5));
  EXPECT_TRUE(MarkedFree(*cache, 7));
  EXPECT_FALSE(MarkedFree(*cache, 6));
  EXPECT_EQ(jet::ReadSlot(*cache->Read(jet::kGlobalMapPage), 0, *cache).length,
            jet::kInlineMapHeader + 2)
      << "freeing never grows the map";
}

}  // namespace
