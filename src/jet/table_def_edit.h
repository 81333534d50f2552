#ifndef MDBTOMYSQL_JET_TABLE_DEF_EDIT_H_
#define MDBTOMYSQL_JET_TABLE_DEF_EDIT_H_

#include <cstdint>

#include "jet/page_cache.h"
#include "jet/table_def.h"

namespace jet {

// The counts a table definition keeps on its first page, changed as rows and keys come and go.
// Each only modifies the page; the caller flushes.

// Changes the row count of `def` by `delta`, never below 0.
void AddToRowCount(PageCache& cache, const TableDef& def, int32_t delta);

// Raises the unique-entry count of real index `index` (RealIndex::number) of the table whose
// TDEF is at `table_def` by `added`. Jet never lowers it. Throws jet::Error, modifying nothing,
// for an index whose count would lie beyond the first page.
void AddToUniqueEntries(PageCache& cache, PageNumber table_def, uint32_t index, uint32_t added);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_TABLE_DEF_EDIT_H_
