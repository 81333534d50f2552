#ifndef MDBTOMYSQL_JET_ROW_PLACEMENT_H_
#define MDBTOMYSQL_JET_ROW_PLACEMENT_H_

#include <cstdint>
#include <string_view>

#include "jet/data_page.h"
#include "jet/page_cache.h"
#include "jet/row_layout.h"
#include "jet/table_def.h"

namespace jet {

// Where rows go on data pages (jet4-notes §4.1, §4.4-4.6): new rows in new slots, changed rows
// in place, on their page, or moved.

// Adds row `bytes` in a new slot with flags `slot_flags` to a data page of `owner` (a TDEF page,
// or kLongValueOwner) that is in the free-space map `free_space` and has room for it; when none
// has, to a new data page of `owner`, entered in the maps `owned` and `free_space` (either may be
// null). Returns where the row went. New pages and their map entries are flushed before the
// row's page is modified; the row's page is left for the caller's Flush.
RowPointer PlaceRow(PageCache& cache, uint32_t owner, RowPointer owned, RowPointer free_space,
                    std::string_view bytes, uint16_t slot_flags = 0);

// PlaceRow on the data pages of table `def`. The row count is not changed (AddToRowCount).
// Throws jet::Error, having modified nothing, for a row longer than kMaxRowSize.
RowPointer InsertRow(PageCache& cache, const TableDef& def, std::string_view bytes,
                     uint16_t slot_flags = 0);

// Replaces the row whose header slot is `where` (the slot indexes point at) by the row built from
// `columns`, as Jet updates rows: in its own bytes, padded, when it is not longer; else on the
// same page with the rows after it moved down, when the page has room; else as an overflow row
// (added elsewhere, flagged deleted so scans skip it) to which the header slot then points. A
// header slot that already points elsewhere has its target (LocateRow) replaced the same way
// and is re-pointed when the target moves. Each way ends with one page write that switches from
// the old row to the new one (the commit point); what comes before it (a new page, the new
// target row) is flushed first. Only the last page is left modified for the caller's Flush.
void ReplaceRow(PageCache& cache, const TableDef& def, RowPointer where,
                const StoredColumns& columns);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ROW_PLACEMENT_H_
