#ifndef MDBTOMYSQL_CLI_DRY_RUN_SESSION_H_
#define MDBTOMYSQL_CLI_DRY_RUN_SESSION_H_

#include <memory>
#include <string>
#include <vector>

#include "db/session.h"

namespace cli {

// True for a statement that only reads (SELECT without INTO, SHOW): a dry run may send it.
bool IsReadStatement(const std::string& statement);

// True for the statements that carry a table's rows rather than shape it: INSERT, LOAD DATA,
// the transaction around a LOAD DATA file and its checks, the server's checks turned off and on
// around a whole table loaded in bulk mode, and the auto-increment counter set back after it.
bool IsRowStatement(const std::string& statement);

// The MySQL session of `migrate --dry-run`: reads go to the real server, every other statement
// is written down instead of sent and succeeds. The rows of a table, sent one INSERT per row,
// become one line with their count, "-- N rows into TABLE", after the statements that shape the
// table. Nothing reaches the server that changes it.
class DryRunSession : public db::Session {
 public:
  explicit DryRunSession(std::unique_ptr<db::Session> server) : server_(std::move(server)) {}

  std::unique_ptr<db::Cursor> Execute(const std::string& text) override;

  // What the migration would have sent, in order, the row lines included.
  std::vector<std::string> Lines() const;

  // The line that stands for the rows of `table`.
  static std::string RowsLine(const std::string& table, long rows);

 private:
  std::unique_ptr<db::Session> server_;
  std::vector<std::string> lines_;
  // The table whose CREATE came last, and its INSERTs so far.
  std::string table_;
  long rows_ = 0;
};

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_DRY_RUN_SESSION_H_
