#ifndef MDBTOMYSQL_DB_LINKED_VALUE_H_
#define MDBTOMYSQL_DB_LINKED_VALUE_H_

#include "db/value.h"
#include "jet/table_def.h"

namespace db {

// A value read from the data source of an ODBC link, as the field of the link's cached column
// hands it out: the same kind a local table of that type gives (a MySQL DECIMAL read as text
// becomes Currency for a Currency column, a TINYINT a Boolean for a Yes/No column, and so on).
// A value that does not convert is passed on as it came.
Value AsLinkedColumn(const Value& v, const jet::Column& column);

}  // namespace db

#endif  // MDBTOMYSQL_DB_LINKED_VALUE_H_
