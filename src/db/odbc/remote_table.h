#ifndef MDBTOMYSQL_DB_ODBC_REMOTE_TABLE_H_
#define MDBTOMYSQL_DB_ODBC_REMOTE_TABLE_H_

#include <string>

#include "jet/odbc_link.h"

namespace db::odbc {

// Asks the ODBC source of `connection_string` ("DSN=NAME;") for the structure of `table`, as Jet
// does when it links one: its columns in order (SQLColumns, with the auto-increment and unsigned
// attributes of an empty SELECT) and its indexes (SQLStatistics, in the order the driver lists
// them: unique ones first). Raises db::Error(kProviderError, the driver's text) when the source
// cannot be reached, and db::Error(3011) when it has no such
// table.
jet::RemoteTable DescribeRemoteTable(const std::string& connection_string,
                                     const std::string& table);

}  // namespace db::odbc

#endif  // MDBTOMYSQL_DB_ODBC_REMOTE_TABLE_H_
