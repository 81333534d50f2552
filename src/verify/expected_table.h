#ifndef MDBTOMYSQL_VERIFY_EXPECTED_TABLE_H_
#define MDBTOMYSQL_VERIFY_EXPECTED_TABLE_H_

#include <string>
#include <utility>
#include <vector>

#include "db/connection.h"
#include "db/field.h"

namespace verify {

// The surrogate key the migration adds to a table that has no key of its own.
inline constexpr const char* kSurrogateKey = "MYSQL_IDD";

// One column of the MySQL table as the migration creates it from a source field.
struct ExpectedColumn {
  std::string name;      // as the source spells it; MySQL matches names whatever their case
  int source_index = 0;  // the field's position in the source's rows
  int ado_type = 0;      // the source field's type, which decides how its values are sent
  // From the column's entry in the CREATE statement:
  std::string data_type;  // "varchar", "tinyint", "double", "int", "longtext", "datetime"
  long length = -1;       // the N of "varchar (N)" or "tinyint (N)"
  bool not_null = false;
  bool auto_increment = false;
};

// What a migration leaves in MySQL for one source table, or, for a table that is an ODBC link
// already, what its link shows.
struct ExpectedTable {
  std::string source_name;
  std::string mysql_name;
  bool through_link = false;  // rows are read through the link; only names are compared
  std::vector<ExpectedColumn> columns;
  // The primary key's columns in the key's order; kSurrogateKey alone when the migration adds
  // it, numbering the rows in the source's order.
  std::vector<std::string> key;
  bool surrogate_key = false;
  // The single-column indexes (name, column) the server keeps of those the migration asks for.
  std::vector<std::pair<std::string, std::string>> indexes;
};

// What the migration makes of source table `name` (its rows' fields `fields`, read on `source`):
// the columns from migrate::ColumnDefinition, the key and indexes from the engine's own ListPK,
// run against a session that only writes its statements down. Indexes the server refuses (a
// name used before, a longtext column, a column MySQL does not get, a name too long) are left
// out, as the server leaves them out.
ExpectedTable MigratedTable(db::Connection& source, const std::string& name,
                            const db::Fields& fields);

// A table linked through ODBC: every field of the link, compared as MySQL holds it, matched by
// `mysql_key` (the MySQL table's primary key).
ExpectedTable LinkedTable(const std::string& name, const db::Fields& fields,
                          std::vector<std::string> mysql_key);

}  // namespace verify

#endif  // MDBTOMYSQL_VERIFY_EXPECTED_TABLE_H_
