#ifndef MDBTOMYSQL_MIGRATE_TABLE_COPY_H_
#define MDBTOMYSQL_MIGRATE_TABLE_COPY_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "db/connection.h"
#include "migrate/bulk_session.h"
#include "migrate/cluster_session.h"
#include "migrate/row_batch.h"

namespace migrate {

// How a migration copies rows; the same for every table of one run.
struct CopySettings {
  // A LOAD DATA file holds at most this many rows or bytes: one transaction each, and the disk
  // used stays bounded. The first file is smaller, so that the server starts early.
  static constexpr long kChunkRows = 100000;
  static constexpr size_t kChunkBytes = 64 << 20;
  static constexpr long kFirstChunkRows = 10000;

  bool row_at_a_time = false;  // one INSERT per row, the reference for every other way
  size_t batch_bytes = RowBatch::kMaxBatchBytes;
  size_t batch_rows = RowBatch::kBatchRows;
  long row_limit = -1;  // rows per table at most (benchmarks); negative means all
  long chunk_rows = kChunkRows;
  size_t chunk_bytes = kChunkBytes;
  // What a node of a Galera cluster asks of the session; on one server, nothing.
  ClusterSession cluster;
  // Whether an empty InnoDB table may load whole in the server's bulk mode, and how. Never on a
  // cluster, whose write sets must stay inside the limits the copy keeps to (and whose nodes
  // would have to apply a whole table at once), nor for the one-INSERT-per-row reference.
  BulkSession bulk;
};

// What the run learns as it goes, for the tables after.
struct CopyRun {
  // Set once LOAD DATA LOCAL has been refused (by the server's or the driver's settings): the
  // rest of the run sends INSERTs.
  bool load_data_refused = false;
  // Set once the temporary folder failed a row file (full, an I/O error): the rest of the run
  // sends INSERTs, which need no file.
  bool temp_files_failed = false;
  // Rows sent in LOAD DATA files the server took whole.
  long loaded_rows = 0;
  // Of those, the rows of tables that went in whole in bulk mode.
  long bulk_rows = 0;
};

// The copy of one table's rows, whichever way they travel: the sessions, the table's names and
// its INSERT head, and the statement the migration's failure details show, which every step sets
// before it runs.
class TableCopy {
 public:
  TableCopy(db::Connection& source, db::Connection& mysql, const CopySettings& settings,
            CopyRun& run, std::string* last_statement, std::string source_table,
            std::string mysql_table, std::string insert_columns,
            std::function<void(long sent)> report_rows);

  db::Connection& mysql() { return mysql_; }
  const CopySettings& settings() const { return settings_; }
  CopyRun& run() { return run_; }
  const std::string& mysql_table() const { return mysql_table_; }
  const std::string& insert_columns() const { return insert_columns_; }
  // "INSERT INTO table (columns) VALUES (".
  const std::string& head() const { return head_; }

  // Runs `statement` on the MySQL session as the one to show should it fail.
  std::unique_ptr<db::Recordset> Execute(const std::string& statement);
  // Sends an INSERT of the copy, a statement of its own on a cluster (numbered as one server
  // numbers, sent again after a hiccup of the cluster); shown as written should it fail.
  void Insert(const std::string& statement);
  void SetLastStatement(const std::string& statement) { *last_statement_ = statement; }

  // The source table's rows from row number `row` (0-based) on.
  std::unique_ptr<db::Recordset> OpenSourceAt(long row);

  // After a row that could not be read or rendered: the statement shown becomes the last one
  // one INSERT per row would have sent, that is the INSERT of the row before the `sent`th, or
  // the SELECT when none went.
  void ShowLastRowSent(long sent);

  // Tells the progress display that the table holds `sent` rows.
  void ReportRows(long sent) { report_rows_(sent); }

  // Sets the auto-increment counter back to follow the largest number the table holds, as one
  // INSERT per row leaves it; a table without a counter has nothing to restore.
  void RestoreAutoIncrement();

  // Sent right after a LOAD DATA on the same session: keeps the server's count of the rows it
  // wrote and of its warnings. It must be the next statement: the driver prepares a SELECT, and
  // preparing clears the row count.
  static constexpr const char* kKeepLoadCounts =
      "SET @mdbtomysql_rows = ROW_COUNT(), @mdbtomysql_warnings = @@warning_count";
  // Whether the counts kept say that the load wrote `rows` rows and warned of nothing: each line
  // the server refused, cut short or skipped as a duplicate leaves a warning.
  bool LoadWroteExactly(long rows);

  // The rows the MySQL table holds, as the server counts them; -1 when it does not say.
  long RowsHeld();

 private:
  db::Connection& source_;
  db::Connection& mysql_;
  const CopySettings& settings_;
  CopyRun& run_;
  std::string* last_statement_;
  std::string source_table_;
  std::string mysql_table_;
  std::string insert_columns_;
  std::string head_;
  std::function<void(long)> report_rows_;
};

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_TABLE_COPY_H_
