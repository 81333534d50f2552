#ifndef MDBTOMYSQL_MIGRATE_COLUMN_TRANSLATION_H_
#define MDBTOMYSQL_MIGRATE_COLUMN_TRANSLATION_H_

#include <string>

#include "db/field.h"

namespace migrate {

// What one source column becomes in the CREATE statement of MySQL table `mysql_table` (the
// lower-cased source name): its entry for the column definition list, ending in ", ", or an empty
// text for a type MySQL gets no column for. `auto_increment` is set when the column is the
// table's AutoNumber (an adInteger whose attributes are exactly 90).
std::string ColumnDefinition(const std::string& mysql_table, const db::FieldInfo& column,
                             bool* auto_increment);

// True for the application's own tables: the name begins with "TBL" or "W_" in any case.
bool IsSelectedTable(const std::string& name);

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_COLUMN_TRANSLATION_H_
