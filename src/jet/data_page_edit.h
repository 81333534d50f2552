#ifndef MDBTOMYSQL_JET_DATA_PAGE_EDIT_H_
#define MDBTOMYSQL_JET_DATA_PAGE_EDIT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "jet/data_page.h"
#include "jet/page_cache.h"

namespace jet {

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

// Initialises `page` as an empty data page owned by `owner` (a TDEF page, or the 'LVAL' tag's
// word for long-value pages, or 0 for usage-map holders).
void InitDataPage(Page& page, uint32_t owner);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_DATA_PAGE_EDIT_H_
