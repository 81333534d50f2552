#ifndef MDBTOMYSQL_JET_DATA_PAGE_EDIT_H_
#define MDBTOMYSQL_JET_DATA_PAGE_EDIT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "jet/byte_order.h"
#include "jet/page_cache.h"

namespace jet {

// Slot flags kept beside a row's offset.
constexpr uint16_t kSlotDeletedFlag = 0x8000;   // skipped by scans; also an overflow row's data
constexpr uint16_t kSlotOverflowFlag = 0x4000;  // the row's first 4 bytes point to its data

// A data page's header size and the room for rows and slots on an empty page.
constexpr size_t kDataPageHeader = 14;
constexpr size_t kEmptyDataPageSpace = 4082;  // 4096 - 14
constexpr int kMaxSlotsPerPage = 255;

// One slot of a data page with its row's bytes, for rebuilding the page.
struct SlotRow {
  uint16_t flags = 0;  // kSlotDeletedFlag | kSlotOverflowFlag bits
  std::string bytes;
};

// The slots of data page `page` in slot order. Throws jet::Error if the slot table is damaged.
std::vector<SlotRow> ReadSlotRows(const Page& page, const PageCache& cache);

// Rewrites the slot table and rows of data page `page` from `rows`, packed down from the end of
// the page in slot order as Access packs them, and sets the free space. The header's other
// fields (type, owner) stay. Throws jet::Error, changing nothing, if they do not fit.
void PackSlotRows(Page& page, const std::vector<SlotRow>& rows, const PageCache& cache);

// Free bytes of data page `page` (header offset 2): what a new row and its slot may use.
uint16_t FreeSpace(const Page& page);

// Initialises `page` as an empty data page owned by `owner` (a TDEF page, or the 'LVAL' tag's
// word for long-value pages, or 0 for usage-map holders).
void InitDataPage(Page& page, uint32_t owner);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_DATA_PAGE_EDIT_H_
