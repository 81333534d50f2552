#ifndef MDBTOMYSQL_VERIFY_TABLE_VERIFIER_H_
#define MDBTOMYSQL_VERIFY_TABLE_VERIFIER_H_

#include <functional>
#include <string>

#include "db/connection.h"
#include "db/session.h"
#include "verify/table_report.h"

namespace verify {

// Compares MySQL with what the migration sends, one source table at a time: the shape (columns,
// key, indexes) and every row, matched by the primary key, value by value under the migration's
// rules. Both sides stream: MySQL in pages ordered by the key (text keys by their bytes), read by
// a thread of their own; the source in its own order while that is the key's, else sorted
// through temporary files. Memory does not grow with the table.
class TableVerifier {
 public:
  TableVerifier(db::Connection& source, db::Session& mysql) : source_(source), mysql_(mysql) {}

  // Compares source table `table`; `linked` when it is an ODBC link, read through it. A failure
  // to read either side ends up in the report's error, not raised. `progress` hears the source
  // rows read so far, every few thousand.
  TableReport Verify(const std::string& table, bool linked,
                     const std::function<void(long rows)>& progress = {});

 private:
  void CompareRows(const std::string& table, TableReport& report,
                   const std::function<void(long)>& progress);
  // The server's numbering of AUTO_INCREMENT values (auto_increment_offset and _increment).
  void ReadNumbering();

  db::Connection& source_;
  db::Session& mysql_;
  bool numbering_read_ = false;
  long first_id_ = 1;
  long id_step_ = 1;
};

}  // namespace verify

#endif  // MDBTOMYSQL_VERIFY_TABLE_VERIFIER_H_
