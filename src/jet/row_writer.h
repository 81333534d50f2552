#ifndef MDBTOMYSQL_JET_ROW_WRITER_H_
#define MDBTOMYSQL_JET_ROW_WRITER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/data_page.h"
#include "jet/page_cache.h"
#include "jet/table_def.h"
#include "jet/value.h"

namespace jet {

// The stored bytes of each column of one row, by physical column number (Column::number):
// fixed columns their fixed-area bytes, variable ones their data (Memo/OLE: the long-value
// definition, not the data). nullopt = NULL. A Yes/No column is "" for Yes and nullopt for No:
// its value lives in the null mask.
using StoredColumns = std::vector<std::optional<std::string>>;

// Splits a row as stored (see row.h for the layout) into its columns' stored bytes, so that a
// row can be rebuilt with some columns changed and the others copied as they are.
StoredColumns SplitRow(const TableDef& def, const uint8_t* row, size_t length,
                       const PageCache& cache, PageNumber page);

// Builds a row of `def` from its columns' stored bytes, laid out as Access lays rows out: the
// column count, the fixed area, the variable data in variable-column order, the end-of-data
// word, the offsets last first, their count and the null mask. `pad_to` pads the row with zero
// bytes before its trailer (invisible to readers) up to that length. Throws jet::Error when a
// value's size does not fit its column or the row would exceed what a page can hold.
std::string BuildRow(const TableDef& def, const StoredColumns& columns, size_t pad_to = 0);

// The stored bytes of `value` in `column`, for every type but Memo and OLE (see
// StoreLongValue) and Yes/No (see StoredColumns). Text is stored compressed when the column
// allows it and it saves space. Throws jet::Error when the value's type does not suit the
// column or a text is longer than the column.
std::string StoreValue(const Column& column, const Value& value);

// Text as Jet stores it: "compressed" (FF FE + one byte per character) when `compress` is set
// and every character lies in U+0001..U+00FF and there are at least 3, else UTF-16LE.
std::string EncodeText(std::string_view utf8, bool compress);

// Stores `data` (already encoded: Memo text through EncodeText) as a long value of `column`
// and returns the definition that goes into the row: inline when at most 64 bytes, else one
// long-value row on a page of the column's long-value maps (a new page when none has room).
// Only modifies pages. Throws jet::Error for data above 4076 bytes (chains are not written).
std::string StoreLongValue(PageCache& cache, const TableDef& def, const Column& column,
                           std::string_view data);

// Adds row `bytes` to a data page of `def` with room for it (a new page, added to the table's
// owned and free-space maps, when none has), in a new slot with flags `slot_flags`, and returns
// where it went. The row count is not changed (AddToRowCount). New pages and their map entries
// are flushed before the row's page is modified; the row's page is left for the caller's Flush.
RowPointer InsertRow(PageCache& cache, const TableDef& def, std::string_view bytes,
                     uint16_t slot_flags = 0);

// Replaces the row whose header slot is `where` (the slot indexes point at) by the row built from
// `columns`, as Jet updates rows: in its own bytes, padded, when it is not longer; else on the same page with the
// rows after it moved down, when the page has room; else as an overflow row (added elsewhere,
// flagged deleted so scans skip it) to which the header slot then points. A header slot that
// already points elsewhere has its target replaced the same way and is re-pointed when the
// target moves. Each way ends with one page write that switches from the old row to the new
// one (the commit point); what comes before it (a new page, the new target row) is flushed
// first. Only the last page is left modified for the caller's Flush.
void ReplaceRow(PageCache& cache, const TableDef& def, RowPointer where,
                const StoredColumns& columns);

// Changes the row count in `def`'s first TDEF page by `delta`; only modifies the page.
void AddToRowCount(PageCache& cache, const TableDef& def, int32_t delta);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ROW_WRITER_H_
