#ifndef MDBTOMYSQL_JET_INDEX_KEY_H_
#define MDBTOMYSQL_JET_INDEX_KEY_H_

#include <optional>
#include <string>
#include <vector>

#include "jet/index.h"
#include "jet/table_def.h"
#include "jet/value.h"

namespace jet {

// The key bytes of `index` for one row (`values` in the order of def.columns), as Jet 4 writes
// them in index entries: per key column a flag byte (0x7F ascending, 0x80 descending; 0x00/0xFF
// for NULL) and the value's sortable bytes. Nothing when the key cannot be computed here: a text
// in another sort order than General (1033, version 0), a character beyond U+FFFF, a Decimal.
std::optional<std::string> EncodeIndexKey(const TableDef& def, const RealIndex& index,
                                          const std::vector<Value>& values);

// True when every key column of the row is NULL (such rows are left out of indexes that ignore
// nulls).
bool KeyIsNull(const TableDef& def, const RealIndex& index, const std::vector<Value>& values);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_INDEX_KEY_H_
