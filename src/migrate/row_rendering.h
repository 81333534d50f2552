#ifndef MDBTOMYSQL_MIGRATE_ROW_RENDERING_H_
#define MDBTOMYSQL_MIGRATE_ROW_RENDERING_H_

#include <string>

#include "db/field.h"

namespace migrate {

// The current row of `fields` as the values list of its INSERT: each field's entry
// (AppendLiteral), separated by ", ", the fields of a type without an entry left out. Empty when
// no field has one, and then no INSERT is sent for the row.
std::string InsertValues(const db::Fields& fields);

// The current row of `fields` as one line of a LOAD DATA file: each field's entry
// (AppendTabField) followed by a tab, the last tab replaced by the line's end. Every field must
// have an entry, and there must be one at least.
void AppendTabLine(const db::Fields& fields, std::string* line);

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_ROW_RENDERING_H_
