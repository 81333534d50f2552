// Files made of hand-built pages, held in memory, for the tests of the engine's lower layers.
#ifndef MDBTOMYSQL_TESTS_JET_PAGE_IMAGES_H_
#define MDBTOMYSQL_TESTS_JET_PAGE_IMAGES_H_

#include <memory>
#include <string>
#include <vector>

#include "jet/byte_order.h"
#include "jet/data_page_edit.h"
#include "jet/file.h"
#include "jet/page_allocator.h"
#include "jet/page_cache.h"
#include "jet/usage_map.h"

namespace pagetest {

// A page cache over `pages` zeroed pages in memory, open for writing: what Flush() writes stays
// in memory and is read back from there.
inline std::unique_ptr<jet::PageCache> BlankFile(size_t pages) {
  auto cache = std::make_unique<jet::PageCache>(
      jet::PageFile::FromMemory("TEST.mdb", std::string(pages * jet::kPageSize, '\0')));
  cache->file().BeginWriting();
  return cache;
}

// Makes page `n` a data page of `owner` holding `rows` in slot order, and writes it.
inline void PutDataPage(jet::PageCache& cache, jet::PageNumber n, uint32_t owner,
                        const std::vector<jet::SlotRow>& rows) {
  jet::Page& page = cache.Modify(n);
  jet::InitDataPage(page, owner);
  jet::PackSlotRows(page, rows, cache);
  cache.Flush();
}

// An inline usage map row of `bytes` bytes starting at page `start`, holding `pages`.
inline std::string InlineMap(jet::PageNumber start, const std::vector<jet::PageNumber>& pages,
                             size_t bytes = jet::kAccessMapRowSize) {
  std::string row(bytes, '\0');
  jet::StoreU32(reinterpret_cast<uint8_t*>(row.data()) + 1, start);
  for (jet::PageNumber p : pages) {
    const size_t bit = p - start;
    row[jet::kInlineMapHeader + bit / 8] =
        static_cast<char>(row[jet::kInlineMapHeader + bit / 8] | (1 << (bit % 8)));
  }
  return row;
}

// A file of `pages` pages whose page 1 holds the global usage map as Access writes it: row 0
// inline from page 0, with the pages of the file in use (bit clear) and the rest of its
// `map_pages` free; row 1 all zero.
inline std::unique_ptr<jet::PageCache> BlankDatabase(size_t pages, size_t map_pages = 512) {
  auto cache = BlankFile(pages);
  std::vector<jet::PageNumber> free;
  for (jet::PageNumber p = static_cast<jet::PageNumber>(pages); p < map_pages; ++p)
    free.push_back(p);
  const size_t bytes = jet::kInlineMapHeader + map_pages / 8;
  PutDataPage(*cache, jet::kGlobalMapPage, 0,
              {{0, InlineMap(0, free, bytes)}, {0, std::string(jet::kAccessMapRowSize, '\0')}});
  return cache;
}

// Whether the global map marks page `p` free.
inline bool MarkedFree(jet::PageCache& cache, jet::PageNumber p) {
  jet::PageRef page = cache.Read(jet::kGlobalMapPage);
  const jet::RowSlot slot = jet::ReadSlot(*page, 0, cache);
  const uint8_t* row = page->data() + slot.offset;
  const size_t bit = p - jet::LoadU32(row + 1);
  return ((row[jet::kInlineMapHeader + bit / 8] >> (bit % 8)) & 1) != 0;
}

// The pages usage map `map` lists.
inline std::vector<jet::PageNumber> MapPages(jet::PageCache& cache, jet::RowPointer map) {
  const jet::UsageMap loaded = jet::UsageMap::Load(cache, map);
  std::vector<jet::PageNumber> out;
  for (auto p = loaded.NextPage(0); p; p = loaded.NextPage(*p + 1)) out.push_back(*p);
  return out;
}

// The 4 bytes of a row pointer as a row holds them.
inline std::string PointerBytes(jet::RowPointer p) {
  const uint32_t word = p.Word();
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>(word >> (8 * i));
  return out;
}

// A row that has moved: a header slot pointing to `target`.
inline jet::SlotRow MovedTo(jet::RowPointer target, uint16_t flags = 0) {
  return jet::SlotRow{static_cast<uint16_t>(flags | jet::kSlotOverflowFlag), PointerBytes(target)};
}

}  // namespace pagetest

#endif  // MDBTOMYSQL_TESTS_JET_PAGE_IMAGES_H_
