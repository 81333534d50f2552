#ifndef MDBTOMYSQL_MIGRATE_MIGRATION_ENGINE_H_
#define MDBTOMYSQL_MIGRATE_MIGRATION_ENGINE_H_

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "migrate/table_copy.h"
#include "ui/screen.h"

namespace migrate {

// The migration engine: the main window's operations that move the source database's own tables
// (names beginning with "TBL" or "W_", any case) to MySQL. It reads through the source session
// and writes through the MySQL session it is given; it talks to a person only through `screen`,
// where it also shows its progress (step "Migrating", a table and its rows), possibly while a
// second thread of the copy reads the source or sends a whole table's LOAD DATA statement.
class MigrationEngine {
 public:
  MigrationEngine(db::Connection& source_session, db::Connection& mysql_session,
                  ui::Screen& screen)
      : source_(source_session), mysql_(mysql_session), screen_(screen) {}

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
  // LOCAL INFILE where the table and the server allow it (an empty InnoDB table whole, in one
  // statement, in the bulk mode of a MariaDB server that has it sound; else in files), else as
  // multi-row INSERTs; either way the table ends as one INSERT per row would leave it, a refused
  // row included.
  void CopyTableRows(const std::string& source_table, const std::string& mysql_table,
                     const std::string& insert_columns);

  // One INSERT per row instead of batches; the same end state, for comparison.
  void SetRowAtATime(bool row_at_a_time) { settings_.row_at_a_time = row_at_a_time; }
  // Copies at most `rows` rows of each table (benchmarks); negative means all.
  void SetRowLimit(long rows) { settings_.row_limit = rows; }
  // Rows per LOAD DATA file; small files put a refused row behind rows already committed.
  void SetChunkRows(long rows) { settings_.chunk_rows = rows > 0 ? rows : 1; }
  // Takes `version_text` for the server's VERSION() when the run decides whether tables may load
  // in bulk mode: a run that behaves as against another server. Empty asks the server.
  void SetServerVersion(std::string version_text) { server_version_ = std::move(version_text); }

  // Selected tables left out of the last run because they are ODBC links: after a relink their
  // rows live in the very MySQL table a migration would drop first.
  const std::vector<std::string>& SkippedLinkedTables() const { return skipped_linked_; }
  // Rows the last run sent in LOAD DATA files the server took whole; the others went as INSERTs.
  long LoadedRows() const { return run_.loaded_rows; }
  // Of those, the rows of tables that went in whole in the server's bulk mode.
  long BulkRows() const { return run_.bulk_rows; }
  // Tables migrated completely by the last run, in order.
  const std::vector<std::string>& MigratedTables() const { return migrated_; }

 private:
  // Sets up the MySQL session for exact copies; sizes the batches below the packet limit.
  void PrepareSession();
  // Copies the rows of `rows` on the LOAD DATA path: a whole table in bulk mode where the server
  // allows it, else (or when that load was not whole) files of rows or INSERTs.
  void LoadRows(TableCopy& copy, std::unique_ptr<db::Recordset> rows, long* sent);
  // Drops, creates and fills the MySQL table of source table `table`, which holds
  // `record_count` rows (-1 when not known).
  void MigrateTable(const std::string& table, long record_count);
  // Raises db::Error when the rows copied are not the `record_count` rows the table's definition
  // counts (-1: not known).
  void RequireEveryRow(const std::string& table, long record_count);
  void ReportRows(long sent);

  static constexpr long kProgressRows = 10000;

  db::Connection& source_;
  db::Connection& mysql_;
  ui::Screen& screen_;
  std::string source_path_;
  ui::Progress current_;
  CopySettings settings_;
  CopyRun run_;
  std::vector<std::string> skipped_linked_;
  std::vector<std::string> migrated_;
  std::string last_statement_;
  std::string server_version_;
};

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_MIGRATION_ENGINE_H_
