#ifndef MDBTOMYSQL_JET_APPEND_ROWS_H_
#define MDBTOMYSQL_JET_APPEND_ROWS_H_

#include <cstddef>
#include <vector>

#include "jet/data_page.h"
#include "jet/page_cache.h"
#include "jet/row_layout.h"
#include "jet/table_def.h"

namespace jet {

// Adds `rows` (their columns' stored bytes, long values already stored and flushed) to table
// `def` as Jet adds rows: each row with the table's row count raised, as one durable step; then
// the entries of all of them in each index named in `index_order` (positions in
// def.real_indexes), one index after the other, each durable before the next. Indexes not named
// get no entries (a write that holds some back, such as a test's); AllIndexes names them all.
// Returns where the rows went, in their order. Throws jet::Error as BuildRow, InsertRow and
// InsertIndexEntries do; the caller's WriteGuard must be held.
std::vector<RowPointer> AppendRows(PageCache& cache, const TableDef& def,
                                   const std::vector<StoredColumns>& rows,
                                   const std::vector<size_t>& index_order);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_APPEND_ROWS_H_
