#ifndef MDBTOMYSQL_VERIFY_TABLE_SHAPE_H_
#define MDBTOMYSQL_VERIFY_TABLE_SHAPE_H_

#include <string>
#include <utility>
#include <vector>

#include "db/session.h"
#include "verify/expected_table.h"

namespace verify {

// A MySQL table as information_schema describes it.
struct ActualColumn {
  std::string name;
  std::string data_type;    // DATA_TYPE: "varchar", "int" ...
  std::string column_type;  // COLUMN_TYPE: "varchar(10)", "tinyint(2)" ...
  long length = -1;         // CHARACTER_MAXIMUM_LENGTH
  bool nullable = true;
  bool auto_increment = false;
};

struct ActualTable {
  bool exists = false;
  std::vector<ActualColumn> columns;  // in the table's order
  std::vector<std::string> primary_key;
  // Every other index: its name and its columns joined by ", ".
  std::vector<std::pair<std::string, std::string>> indexes;
};

// Reads the table `name` of the session's current database. Raises db::Error when the server
// refuses the queries.
ActualTable ReadActualTable(db::Session& mysql, const std::string& name);

// The column of `actual` named `name` whatever its case, or null.
const ActualColumn* FindColumn(const ActualTable& actual, const std::string& name);

// Appends a text per difference between what the migration creates and what MySQL holds:
// columns missing, added or of another type, nullability, auto-increment, the primary key, the
// indexes. For a table read through its link, only the column names.
void CompareShape(const ExpectedTable& expected, const ActualTable& actual,
                  std::vector<std::string>* differences);

}  // namespace verify

#endif  // MDBTOMYSQL_VERIFY_TABLE_SHAPE_H_
