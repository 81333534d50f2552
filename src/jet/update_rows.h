#ifndef MDBTOMYSQL_JET_UPDATE_ROWS_H_
#define MDBTOMYSQL_JET_UPDATE_ROWS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/column_value.h"
#include "jet/database.h"
#include "jet/value.h"

namespace jet {

// UPDATE table SET column = value, ... [WHERE column = value] on a local table of `db`: every
// row that matches (ValuesMatch: text ignoring case; NULL matches nothing) gets the new values
// (ValueForColumn). Returns the number of rows matched.
//
// Refused with jet::Error, before anything is written: an unknown or linked or system table, an
// unknown column, a column named twice, a value that does not suit its column (type, range, a
// text longer than the column), an AutoNumber column, a row that would no longer fit a page, a
// duplicate in a unique index, a key this engine cannot compute, a file open in Access.
//
// Each row is rewritten where it is when the new bytes fit (padded) in the old ones; else its
// page is repacked when it has room; else the new bytes go to a new row that scans skip and the
// row's first slot becomes a pointer to it, which is the step that switches to the new value.
// Each of these is one durable step, so a stop leaves each row with its old or its new value,
// never a mix. For each index on a changed column, the rows' old entries are taken out before
// the rows change and their new ones put in after. `db` is reloaded.
size_t UpdateRows(Database& db, std::string_view table, const std::vector<ColumnValue>& set,
                  const std::optional<ColumnValue>& where);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_UPDATE_ROWS_H_
