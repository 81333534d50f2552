#ifndef MDBTOMYSQL_DB_UPDATE_STATEMENT_H_
#define MDBTOMYSQL_DB_UPDATE_STATEMENT_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/update_rows.h"

namespace db {

// "UPDATE table SET column = literal [, column = literal ...] [WHERE column = literal]", the one
// form of UPDATE the Jet provider runs. Names are bare (letters, digits, underscores) or in
// brackets. Literals: text in single or double quotes (a doubled quote stands for itself),
// numbers (whole ones as int64_t, others as double), NULL, TRUE and FALSE.
struct UpdateStatement {
  std::string table;
  std::vector<jet::ColumnValue> set;
  std::optional<jet::ColumnValue> where;
};

// The statement, or nullopt when `text` is not an UPDATE at all. Raises db::Error
// (kProviderError) naming the fault for an UPDATE outside that form.
std::optional<UpdateStatement> ParseUpdate(std::string_view text);

}  // namespace db

#endif  // MDBTOMYSQL_DB_UPDATE_STATEMENT_H_
