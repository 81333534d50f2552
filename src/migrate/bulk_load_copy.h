#ifndef MDBTOMYSQL_MIGRATE_BULK_LOAD_COPY_H_
#define MDBTOMYSQL_MIGRATE_BULK_LOAD_COPY_H_

#include <string>

#include "db/recordset.h"
#include "migrate/row_pipe.h"
#include "migrate/table_copy.h"

namespace migrate {

// A whole table in one LOAD DATA statement, in one transaction, with the session's unique and
// foreign key checks off: an empty InnoDB table then loads in the server's bulk mode (undo for
// the table as a whole, indexes built from sorted rows), the fastest way a table fills. The rows
// go through a RowPipe while they are read, so reading overlaps the server.
//
// Bulk mode reports faults badly: a duplicate key costs a warning at the statement and many rows
// besides it, which vanish without a word; a duplicate in an INSERT surfaces only at COMMIT. So
// the load is committed only when the statement ended without error or warning, the server
// counts every row sent, the table in the transaction holds every row sent, and the COMMIT went
// through. Otherwise it is rolled back, which leaves the table empty, and the copy has to begin
// again the exact way, which finds the refused row.
class BulkLoadCopy {
 public:
  explicit BulkLoadCopy(TableCopy& table) : table_(table) {}

  // Copies the rows of `rows`, from the current one, into the MySQL table when it is empty.
  // Returns true when they are all in, committed, with *sent set to their number. Returns false
  // when the table is not empty, or the load was not whole and has been rolled back; the table
  // is then as it was, its auto-increment counter restored, and `rows` may have moved on. Raises
  // db::Error only when the server cannot be made to say that the table is as it was.
  bool CopyRows(db::Recordset& rows, long* sent);

 private:
  // The rows read and sent into the pipe, and whether they are the table's every row.
  struct Feed {
    long rows = 0;
    bool complete = false;
  };
  // Reads the rows into the pipe on this thread, reporting progress, and finishes the pipe.
  Feed FeedRows(db::Recordset& rows, RowPipe& pipe);
  // Runs the load in a transaction; returns whether it committed, with the rows in *loaded.
  bool LoadWhole(db::Recordset& rows, RowPipe& pipe, long* loaded);

  TableCopy& table_;
};

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_BULK_LOAD_COPY_H_
