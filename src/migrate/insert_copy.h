#ifndef MDBTOMYSQL_MIGRATE_INSERT_COPY_H_
#define MDBTOMYSQL_MIGRATE_INSERT_COPY_H_

#include "db/recordset.h"
#include "migrate/row_batch.h"
#include "migrate/table_copy.h"

namespace migrate {

// Rows sent as INSERT statements: one per row (the reference), or multi-row INSERTs that end in
// the same state, a refused row included. `*sent` counts the rows the table holds.
class InsertCopy {
 public:
  explicit InsertCopy(TableCopy& table) : table_(table) {}

  // Sends every row from the current one of `rows` on. A row that cannot be read or rendered
  // ends the copy with its error, after the rows before it have gone in.
  void CopyRows(db::Recordset& rows, long* sent);

  // Sends the `count` source rows from row number *sent on (reading them again from the source)
  // as multi-row INSERTs.
  void ReplayRows(long count, long* sent);

 private:
  // Sends the batch as one statement. When the server refuses a row of it, the table is made
  // what one statement per row would have left, and the batch goes again row by row from the
  // first row the table lacks, so that the refused row fails alone.
  void SendBatch(RowBatch& batch, long* sent);

  TableCopy& table_;
};

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_INSERT_COPY_H_
