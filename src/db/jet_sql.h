#ifndef MDBTOMYSQL_DB_JET_SQL_H_
#define MDBTOMYSQL_DB_JET_SQL_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/update_rows.h"

namespace db {

// The statements the Jet provider runs, read from their text. A name is bare (letters of any
// script, digits, underscores) or in brackets. Each reader returns nullopt when `text` is not a
// statement of its kind at all, and raises db::Error (kProviderError) naming the fault for one
// of its kind outside the form it reads. A statement may end in ";".

// "SELECT * FROM name": the table.
std::optional<std::string> ParseSelectAll(std::string_view text);

// "DROP TABLE name": the table.
std::optional<std::string> ParseDropTable(std::string_view text);

// "UPDATE table SET column = literal [, column = literal ...] [WHERE column = literal]".
// Literals: text in single or double quotes (a doubled quote stands for itself), numbers (whole
// ones as int64_t, others as double), NULL, TRUE and FALSE.
struct UpdateStatement {
  std::string table;
  std::vector<jet::ColumnValue> set;
  std::optional<jet::ColumnValue> where;
};
std::optional<UpdateStatement> ParseUpdate(std::string_view text);

}  // namespace db

#endif  // MDBTOMYSQL_DB_JET_SQL_H_
