#ifndef MDBTOMYSQL_DB_ODBC_REMOTE_TABLE_H_
#define MDBTOMYSQL_DB_ODBC_REMOTE_TABLE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace db::odbc {

// A column of a remote table as its ODBC source describes it (SQLColumns).
struct RemoteColumn {
  std::string name;
  int16_t sql_type = 0;  // ODBC SQL type (SQL_INTEGER, SQL_WVARCHAR ...)
  uint32_t size = 0;     // COLUMN_SIZE: characters, digits or bytes
  int16_t digits = 0;    // DECIMAL_DIGITS
  bool is_unsigned = false;
  bool auto_increment = false;
};

// An index of a remote table (SQLStatistics), its columns in key order.
struct RemoteIndex {
  std::string name;
  bool unique = false;
  std::vector<std::string> columns;
};

struct RemoteTable {
  std::vector<RemoteColumn> columns;
  std::vector<RemoteIndex> indexes;  // in the order the source lists them
};

// Asks the ODBC source of `connection_string` ("DSN=NAME;") for the structure of `table`, as Jet
// does when it links one: its columns in order (SQLColumns, with the auto-increment and unsigned
// attributes of an empty SELECT) and its indexes (SQLStatistics, in the order the driver lists
// them: unique ones first). Raises db::Error(kProviderError, the driver's text) when the source
// cannot be reached, and db::Error(3011) when it has no such
// table.
RemoteTable DescribeRemoteTable(const std::string& connection_string,
                                     const std::string& table);

}  // namespace db::odbc

#endif  // MDBTOMYSQL_DB_ODBC_REMOTE_TABLE_H_
