#ifndef MDBTOMYSQL_JET_ROW_REMOVAL_H_
#define MDBTOMYSQL_JET_ROW_REMOVAL_H_

#include <memory>
#include <string>
#include <vector>

#include "jet/page_cache.h"
#include "jet/table_cursor.h"
#include "jet/table_def.h"
#include "jet/value.h"

namespace jet {

// Taking rows out of a table as Jet does: first their index entries, then the rows themselves
// (their slots flagged deleted and the row count lowered in one step), each step durable before
// the next, so that a stop in between leaves rows that no lookup reaches, which a later run
// finishes.

// A row found by a scan: where its header slot is, and its values.
struct FoundRow {
  RowPointer where;
  std::vector<Value> values;
};

// The position in def.columns of column `column`, which `def` must have (jet::Error naming
// `table` of `file_name` otherwise).
int ColumnPosition(const TableDef& def, const char* column, const std::string& table,
                   const std::string& file_name);

// The rows of `def` that `match` (taking the row's values) accepts.
template <typename Match>
std::vector<FoundRow> FindRows(PageCache& cache, const std::shared_ptr<const TableDef>& def,
                               Match match) {
  std::vector<FoundRow> rows;
  TableCursor cursor(cache, def);
  while (cursor.Next()) {
    if (!match(cursor.values())) continue;
    rows.push_back(
        FoundRow{RowPointer{cursor.page(), static_cast<uint8_t>(cursor.slot())}, cursor.values()});
  }
  return rows;
}

// Checks, before anything is written, that each row's entry in each index of `def` has the key
// its values give; an entry already gone (a removal run again) is fine. A mismatch means this
// engine would not find or keep the entry right: jet::Error, nothing written.
void VerifyEntries(PageCache& cache, const TableDef& def, const std::vector<FoundRow>& rows,
                   const std::string& table);

// Removes the rows' entries from the indexes of `def` named by `order`, in that order.
void RemoveEntries(PageCache& cache, const TableDef& def, const std::vector<size_t>& order,
                   const std::vector<FoundRow>& rows);

// Flags `rows`' slots deleted and lowers the row count of `def` by their number, as one step
// (flushed).
void DeleteRows(PageCache& cache, const TableDef& def, const std::vector<FoundRow>& rows);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ROW_REMOVAL_H_
