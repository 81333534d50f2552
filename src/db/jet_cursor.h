#ifndef MDBTOMYSQL_DB_JET_CURSOR_H_
#define MDBTOMYSQL_DB_JET_CURSOR_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/recordset.h"
#include "jet/database.h"
#include "jet/table_cursor.h"

namespace db {

// The rows of one table of the file, read from the engine's pages as the cursor moves, so that
// memory does not grow with the table. Holds its database, so the session may go first. A row
// the engine cannot read raises kProviderError with the engine's description.
class JetCursor : public Cursor {
 public:
  // `required` names the table's Required columns (NOT NULL in the fields' attributes).
  JetCursor(std::shared_ptr<jet::Database> database, jet::TableCursor rows,
            const std::vector<std::string>& required);

  const std::vector<FieldInfo>& Columns() const override { return columns_; }
  bool Next(std::vector<Value>& row) override;

 private:
  std::shared_ptr<jet::Database> database_;  // declared first: outlives the cursor below
  std::optional<jet::TableCursor> rows_;
  std::vector<FieldInfo> columns_;
};

}  // namespace db

#endif  // MDBTOMYSQL_DB_JET_CURSOR_H_
