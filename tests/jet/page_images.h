// Files made of hand-built pages, held in memory, for the tests of the engine's lower layers.
#ifndef MDBTOMYSQL_TESTS_JET_PAGE_IMAGES_H_
#define MDBTOMYSQL_TESTS_JET_PAGE_IMAGES_H_

#include <memory>
#include <string>
#include <vector>

#include "jet/data_page_edit.h"
#include "jet/file.h"
#include "jet/page_cache.h"

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
