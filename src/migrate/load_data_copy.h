#ifndef MDBTOMYSQL_MIGRATE_LOAD_DATA_COPY_H_
#define MDBTOMYSQL_MIGRATE_LOAD_DATA_COPY_H_

#include <exception>
#include <string>

#include "db/field.h"
#include "db/recordset.h"
#include "migrate/insert_copy.h"
#include "migrate/tab_file.h"
#include "migrate/table_copy.h"

namespace migrate {

// Rows sent as LOAD DATA LOCAL INFILE files, one transaction each, while a second thread reads
// and writes the next file. LOAD DATA LOCAL goes on past a refused row as IGNORE does, so a file
// is committed only when the table took every line as it stands; otherwise it is rolled back and
// its rows go as INSERTs, which decide which rows the server accepts. The table ends as one
// INSERT per row would leave it, auto-increment counter included.
class LoadDataCopy {
 public:
  explicit LoadDataCopy(TableCopy& table) : table_(table), inserts_(table) {}

  // Whether the rows of `fields` can travel this way into the MySQL table: every column has an
  // entry in a line, and the table's engine can take a file back whole (InnoDB).
  static bool Carries(TableCopy& table, const db::Fields& fields);

  // Sends every row from the current one of `rows` on, as InsertCopy::CopyRows does.
  void CopyRows(db::Recordset& rows, long* sent);

 private:
  // One file's worth of rows, read from the source and written.
  struct Chunk {
    long rows = 0;
    bool more = false;           // the file is full and the table goes on
    std::exception_ptr failure;  // a row that could not be read or rendered
    bool file_failed = false;    // the temporary folder failed the file: its rows go as INSERTs
  };
  // Reads at most `limit` rows into `file`, counting them in *read.
  Chunk FillChunk(db::Recordset& rows, TabFile& file, long limit, long* read);
  // Loads one file of `rows` lines in a transaction of its own and commits it only when the
  // table took every line as it stands; otherwise rolls it back. Either way the auto-increment
  // counter is restored. Returns whether the file went in.
  bool LoadChunk(const std::string& path, long rows);
  // One try of LoadChunk; a hiccup of the cluster is raised.
  bool LoadChunkOnce(const std::string& path, long rows);
  // The rest of the table after LOAD DATA was refused or a file could not be written: the rows
  // of `chunk`, already read, then every row after them.
  void FinishByInsert(db::Recordset& rows, const Chunk& chunk, long* sent);

  TableCopy& table_;
  InsertCopy inserts_;
};

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_LOAD_DATA_COPY_H_
