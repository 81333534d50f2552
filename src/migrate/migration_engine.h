#ifndef MDBTOMYSQL_MIGRATE_MIGRATION_ENGINE_H_
#define MDBTOMYSQL_MIGRATE_MIGRATION_ENGINE_H_

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "migrate/cluster_session.h"
#include "migrate/tab_file.h"
#include "ui/screen.h"

namespace migrate {

// Where a migration stands, for a progress display.
struct Progress {
  int table_number = 0;  // 1-based among the selected tables
  int table_count = 0;
  std::string table_name;  // the source table's name
  long rows_copied = 0;
};
using ProgressCallback = std::function<void(const Progress&)>;

// Rows of one table waiting to go to MySQL as one multi-row INSERT: the values lists of the
// rows, as one statement per row would send them.
class RowBatch {
 public:
  // A batch stays under both limits (one row larger than the byte limit travels alone). Every
  // statement is a commit of its own, so fewer, larger statements are what makes the copy fast.
  static constexpr size_t kBatchRows = 10000;
  static constexpr size_t kMaxBatchBytes = 4 << 20;

  // `head` is "INSERT INTO table (columns) VALUES ("; `max_bytes` caps a batch's values below
  // the server's packet limit, `max_rows` its rows below kBatchRows where a cluster wants less.
  RowBatch(std::string head, size_t max_bytes, size_t max_rows = kBatchRows);
  void Add(const std::string& values);
  bool Full() const;
  bool empty() const { return rows_.empty(); }
  size_t size() const { return rows_.size(); }
  // "INSERT INTO table (columns) VALUES (row 1), (row 2), ...".
  std::string Statement() const;
  // The statement one row alone would have been sent as.
  std::string SingleStatement(size_t i) const;
  void Clear();

 private:
  std::string head_;
  size_t max_bytes_;
  size_t max_rows_;
  std::vector<std::string> rows_;
  size_t bytes_ = 0;
};

// The migration engine: the main window's operations that move the source database's own tables
// (names beginning with "TBL" or "W_", any case) to MySQL. It reads through the global source
// session (db::SourceSession) and writes through the MySQL session it is given; it talks to a
// person only through `screen`.
class MigrationEngine {
 public:
  MigrationEngine(db::Connection& mysql_session, ui::Screen& screen)
      : mysql_(mysql_session), screen_(screen) {}

  // Migrates every selected table of the file at `source_path` (the source path field as typed):
  // drop, create, keys, rows, one table after the other. "OK" when all went through; "FAIL" after
  // the first failure, which has then been shown as "Invalid table column in VELDA.mdb" with the
  // table, the statement and the error in the details. Nothing done is undone.
  std::string CreateAndInsertData_To_MYSQLTable(const std::string& source_path);

  // "DROP table `name`" on the MySQL session; every failure is ignored.
  void DropTable(const std::string& TableName);

  // Gives MySQL table `tbl` one index per indexed source column and a primary key (the source's,
  // else the auto-increment column, else a new MYSQL_IDD column). Returns the key column list.
  std::string ListPK(const std::string& tbl, const std::string& AutoNumberField);

  // Copies every row of the source table into the MySQL table. Rows travel through LOAD DATA
  // LOCAL INFILE where the table and the server allow it, else as multi-row INSERTs; either way
  // the table ends as one INSERT per row would leave it, a refused row included.
  void CopyTableRows(const std::string& source_table, const std::string& mysql_table,
                     const std::string& insert_columns);

  // The callback runs on the calling thread, but possibly while a second thread of the copy reads
  // the source: it must not use the source session.
  void SetProgressCallback(ProgressCallback callback) { progress_ = std::move(callback); }
  // One INSERT per row instead of batches; the same end state, for comparison.
  void SetRowAtATime(bool row_at_a_time) { row_at_a_time_ = row_at_a_time; }
  // Copies at most `rows` rows of each table (benchmarks); negative means all.
  void SetRowLimit(long rows) { row_limit_ = rows; }
  // Rows per LOAD DATA file; small files put a refused row behind rows already committed.
  void SetChunkRows(long rows) { chunk_rows_ = rows > 0 ? rows : 1; }

  // Selected tables left out of the last run because they are ODBC links: after a relink their
  // rows live in the very MySQL table a migration would drop first.
  const std::vector<std::string>& SkippedLinkedTables() const { return skipped_linked_; }
  // Rows the last run sent in LOAD DATA files the server took whole; the others went as INSERTs.
  long LoadedRows() const { return loaded_rows_; }
  // Tables migrated completely by the last run, in order.
  const std::vector<std::string>& MigratedTables() const { return migrated_; }

 private:
  db::Connection& mysql_;
  ui::Screen& screen_;
  std::string source_path_;
  ProgressCallback progress_;
  Progress current_;
  static constexpr long kProgressRows = 10000;
  // A LOAD DATA file holds at most this many rows or bytes: one transaction each, and the disk
  // used stays bounded.
  static constexpr long kChunkRows = 100000;
  static constexpr size_t kChunkBytes = 64 << 20;
  static constexpr long kFirstChunkRows = 10000;

  void SendBatch(RowBatch& batch, const std::string& mysql_table, long* sent);
  void RestoreAutoIncrement(const std::string& mysql_table);
  void ReportRows(long sent);
  bool LoadDataCarries(const std::string& mysql_table, const db::Fields& fields);
  // One LOAD DATA file's worth of rows, read from the source and written.
  struct Chunk {
    long rows = 0;
    bool more = false;  // the file is full and the table goes on
    std::exception_ptr failure;  // a row that could not be read, rendered or written
  };
  // Reads at most `limit` rows into `file`, counting them in *read.
  Chunk FillChunk(db::Recordset& rows, TabFile& file, long limit, long* read);
  // Sends `count` source rows from row number *sent on as multi-row INSERTs.
  void ReplayRows(const std::string& source_table, const std::string& mysql_table,
                  const std::string& head, long count, long* sent);
  void CopyByInsert(db::Recordset& rows, const std::string& source_table,
                    const std::string& mysql_table, const std::string& head, long* sent);
  void CopyByLoadData(db::Recordset& rows, const std::string& source_table,
                      const std::string& mysql_table, const std::string& insert_columns,
                      const std::string& head, long* sent);
  // Loads one file of `rows` lines in a transaction of its own and commits it only when the
  // table took every line as it stands; otherwise rolls it back. Either way the auto-increment
  // counter is restored. Returns whether the file went in.
  bool LoadChunk(const std::string& path, const std::string& mysql_table,
                 const std::string& insert_columns, long rows);
  bool LoadChunkOnce(const std::string& path, const std::string& mysql_table,
                     const std::string& insert_columns, long rows);
  std::unique_ptr<db::Recordset> OpenSourceAt(const std::string& source_table, long row);
  std::string RowStatement(const std::string& source_table, const std::string& head, long row);

  bool row_at_a_time_ = false;
  size_t batch_bytes_ = RowBatch::kMaxBatchBytes;
  size_t batch_rows_ = RowBatch::kBatchRows;
  size_t chunk_bytes_ = kChunkBytes;
  ClusterSession cluster_;
  long row_limit_ = -1;
  long chunk_rows_ = kChunkRows;
  // Set once LOAD DATA LOCAL has been refused (by the server's or the driver's settings): the
  // rest of the run sends INSERTs.
  bool load_data_refused_ = false;
  long loaded_rows_ = 0;
  std::vector<std::string> skipped_linked_;
  std::vector<std::string> migrated_;
  std::string last_statement_;
};

// Doubles every single quote and removes outer spaces (the space character only). No length
// limit.
std::string FixQuote(const std::string& text);

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_MIGRATION_ENGINE_H_
