#include "migrate/migration_engine.h"

#include <exception>
#include <memory>

#include "base/ascii_case.h"
#include "db/catalog.h"
#include "db/dao.h"
#include "db/error.h"
#include "db/source_session.h"
#include "migrate/bulk_load_copy.h"
#include "migrate/column_translation.h"
#include "migrate/insert_copy.h"
#include "migrate/load_data_copy.h"

namespace migrate {
namespace {

// Statements in failure details are cut to this many bytes; a row of a memo table can be long.
constexpr size_t kShownStatementBytes = 600;

std::string Shortened(const std::string& statement) {
  if (statement.size() <= kShownStatementBytes) return statement;
  size_t cut = kShownStatementBytes;
  while (cut > 0 && (static_cast<unsigned char>(statement[cut]) & 0xC0) == 0x80) --cut;
  return statement.substr(0, cut) + " ... (" + std::to_string(statement.size()) + " bytes)";
}

// Removes the last two characters (a final ", ").
void CutSeparator(std::string& list) { list.erase(list.size() >= 2 ? list.size() - 2 : 0); }

}  // namespace

void MigrationEngine::DropTable(const std::string& TableName) {
  try {
    ExecuteOnCluster(mysql_, settings_.cluster, "DROP table `" + TableName + "`");
  } catch (const std::exception&) {
    // A table that is not there yet is the usual case; the CREATE that follows fails on its
    // own if the table is somehow still there.
  }
}

std::string MigrationEngine::CreateAndInsertData_To_MYSQLTable(const std::string& source_path) {
  source_path_ = source_path;
  skipped_linked_.clear();
  migrated_.clear();
  last_statement_.clear();
  run_ = CopyRun{};
  std::string table;
  try {
    PrepareSession();
    std::unique_ptr<db::dao::Database> catalogue = db::dao::OpenDatabase(
        source_path, false, false, std::string(";pwd=") + db::kSourcePassword);
    std::vector<db::dao::TableDef> selected;
    for (const db::dao::TableDef& def : catalogue->TableDefs())
      if (IsSelectedTable(def.name)) selected.push_back(def);

    current_ = ui::Progress{};
    current_.step = "Migrating";
    current_.items = int(selected.size());
    for (const db::dao::TableDef& def : selected) {
      table = def.name;
      ++current_.item;
      current_.item_name = table;
      current_.done = 0;
      current_.total = def.record_count;
      if (def.connect.rfind("ODBC;", 0) == 0) {
        skipped_linked_.push_back(table);
        continue;
      }
      screen_.ShowProgress(current_);
      MigrateTable(table, def.record_count);
      migrated_.push_back(table);
    }
    return "OK";
  } catch (const std::exception& e) {
    const auto* error = dynamic_cast<const db::Error*>(&e);
    std::string details;
    if (!table.empty()) details += "Table: " + table + "\n";
    if (!last_statement_.empty()) details += "Statement: " + Shortened(last_statement_) + "\n";
    details += "Error: " + (error ? error->description() : std::string(e.what()));
    screen_.MessageBox("Invalid table column in VELDA.mdb", "Error", ui::Icon::kInformation,
                       details);
    return "FAIL";
  }
}

void MigrationEngine::PrepareSession() {
  // Backslashes in values are data: with NO_BACKSLASH_ESCAPES the doubled quotes are the only
  // escaping a literal needs, so no value can end its literal early. A server strict for
  // transactional tables refuses a bad value in a one-row INSERT into any table; a multi-row
  // INSERT into a MyISAM table would instead cut the value short past its first row, so the
  // strictness is extended to all tables to keep the batched copy as exact as the row copy.
  last_statement_ =
      "SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
      "'NO_BACKSLASH_ESCAPES', IF(FIND_IN_SET('STRICT_TRANS_TABLES', @@SESSION.sql_mode), "
      "'STRICT_ALL_TABLES', NULL))";
  mysql_.Execute(last_statement_);
  if (!settings_.row_at_a_time) {
    // A statement must fit the server's packet; keep well below it, leaving room for the
    // statement's head and for one row beyond the cap.
    last_statement_ = "SELECT @@max_allowed_packet";
    std::unique_ptr<db::Recordset> packet = mysql_.Execute(last_statement_);
    const db::Value& v = packet->Fields().Item(0).GetValue();
    const int64_t limit = v.kind() == db::Value::Kind::kInteger ? v.AsInteger() : 0;
    settings_.batch_bytes = RowBatch::kMaxBatchBytes;
    if (limit > 0 && size_t(limit / 4) < settings_.batch_bytes) {
      settings_.batch_bytes = size_t(limit / 4);
    }
  }
  // On a node of a cluster every transaction of the copy stays inside the write-set limits.
  last_statement_ = "SELECT @@wsrep_on";
  settings_.cluster = ReadClusterSession(mysql_);
  settings_.batch_rows = size_t(FitRows(settings_.cluster, long(RowBatch::kBatchRows)));
  settings_.batch_bytes = FitBytes(settings_.cluster, settings_.batch_bytes);
  settings_.chunk_rows = FitRows(settings_.cluster, settings_.chunk_rows);
  settings_.chunk_bytes = FitBytes(settings_.cluster, CopySettings::kChunkBytes);
  settings_.bulk = BulkSession{};
  if (!settings_.row_at_a_time && !settings_.cluster.replicated) {
    last_statement_ = "SELECT VERSION()";
    settings_.bulk = ReadBulkSession(mysql_, server_version_);
  }
}

void MigrationEngine::MigrateTable(const std::string& table, long record_count) {
  last_statement_ = "SELECT * FROM " + table;
  std::unique_ptr<db::Recordset> columns = source_.Execute(last_statement_);
  const std::string mysql_table = base::ToLowerAscii(table);
  DropTable(mysql_table);

  std::string definitions, insert_columns, auto_number;
  const db::Fields& fields = columns->Fields();
  for (int i = 0; i < fields.Count(); ++i) {
    const db::Field& f = fields.Item(i);
    insert_columns += "`" + f.Name() + "`, ";
    db::FieldInfo info;
    info.name = f.Name();
    info.type = f.Type();
    info.defined_size = f.DefinedSize();
    info.attributes = f.Attributes();
    bool auto_increment = false;
    definitions += ColumnDefinition(mysql_table, info, &auto_increment);
    if (auto_increment) auto_number = f.Name();
  }
  if (definitions.find_first_not_of(' ') != std::string::npos) {
    CutSeparator(definitions);
    CutSeparator(insert_columns);
  }
  last_statement_ = "CREATE table " + mysql_table + " (" + definitions + ")";
  ExecuteOnCluster(mysql_, settings_.cluster, last_statement_);
  ListPK(mysql_table, auto_number);
  RefuseUnreplicatedTable(mysql_, settings_.cluster, mysql_table);
  CopyTableRows(table, mysql_table, insert_columns);
  RequireEveryRow(table, record_count);
}

void MigrationEngine::RequireEveryRow(const std::string& table, long record_count) {
  // A damaged file can hide rows from a reader (a usage map that lost pages, say): the rows that
  // went over must be the rows the table's definition counts, or the table fails.
  if (record_count < 0 || settings_.row_limit >= 0 || current_.done == record_count) return;
  last_statement_.clear();
  throw db::Error(db::kProviderError,
                  "the file's definition of " + table + " counts " +
                      std::to_string(record_count) + " rows, but " +
                      std::to_string(current_.done) +
                      " could be read: the file is damaged. Run Compact and Repair Database in "
                      "Access on a copy of it, then migrate again.");
}

std::string MigrationEngine::ListPK(const std::string& tbl, const std::string& AutoNumberField) {
  if (source_.State() == db::kAdStateClosed)
    db::OpenSourceSession(source_, source_path_, db::kSourcePassword);
  db::Catalog catalog;
  catalog.SetActiveConnection(source_);

  std::string list;
  // Sends one statement; a refusal by the server skips it, any other error ends ListPK after a
  // message. Returns false when ListPK has to end.
  auto send = [&](const std::string& statement) {
    try {
      ExecuteOnCluster(mysql_, settings_.cluster, statement);
      return true;
    } catch (const db::Error& e) {
      if (e.number() == db::kProviderError) return true;
      screen_.MessageBox(std::to_string(e.number()) + ": " + e.description(), "Error",
                         ui::Icon::kNone);
      return false;
    }
  };
  for (const db::CatalogTable& table : catalog.Tables()) {
    if (base::ToLowerAscii(table.name) != tbl || table.indexes.empty()) continue;
    for (const db::CatalogIndex& index : table.indexes) {
      for (const db::CatalogColumn& column : index.columns) {
        if (index.primary_key) list = "`" + column.name + "`, " + list;
        if (!send("CREATE INDEX index_" + tbl + "_" + column.name + " ON " + tbl + " (`" +
                  column.name + "`)"))
          return list;
      }
    }
  }
  if (list.empty()) {
    if (!AutoNumberField.empty()) {
      send("ALTER TABLE " + tbl + " ADD CONSTRAINT " + tbl + " PRIMARY KEY (`" + AutoNumberField +
           "`);");
    } else {
      send("ALTER TABLE " + tbl + " ADD MYSQL_IDD int NOT NULL AUTO_INCREMENT PRIMARY KEY");
    }
    return list;
  }
  CutSeparator(list);
  send("ALTER TABLE " + tbl + " ADD CONSTRAINT  PRIMARY KEY (" + list + ");");
  return list;
}

void MigrationEngine::CopyTableRows(const std::string& source_table,
                                    const std::string& mysql_table,
                                    const std::string& insert_columns) {
  last_statement_ = "SELECT * FROM " + source_table;
  std::unique_ptr<db::Recordset> rows = source_.Execute(last_statement_);
  if (rows->Bof() || rows->Eof()) return;
  TableCopy copy(source_, mysql_, settings_, run_, &last_statement_, source_table, mysql_table,
                 insert_columns, [this](long sent) { ReportRows(sent); });
  long sent = 0;  // rows the server holds for this table
  if (!settings_.row_at_a_time && !run_.load_data_refused &&
      LoadDataCopy::Carries(copy, rows->Fields())) {
    LoadRows(copy, std::move(rows), &sent);
  } else {
    InsertCopy(copy).CopyRows(*rows, &sent);
  }
  current_.done = sent;
  screen_.ShowProgress(current_);
}

void MigrationEngine::LoadRows(TableCopy& copy, std::unique_ptr<db::Recordset> rows, long* sent) {
  if (settings_.bulk.qualifies) {
    if (BulkLoadCopy(copy).CopyRows(*rows, sent)) return;
    // The table is empty again: every row goes again, read anew, the way that stops at a
    // refused row as one INSERT per row does.
    rows = copy.OpenSourceAt(0);
    current_.done = 0;
    screen_.ShowProgress(current_);
  }
  if (!run_.temp_files_failed && !run_.load_data_refused) {
    LoadDataCopy(copy).CopyRows(*rows, sent);
  } else {
    InsertCopy(copy).CopyRows(*rows, sent);
  }
}

void MigrationEngine::ReportRows(long sent) {
  const long before = current_.done;
  current_.done = sent;
  if (sent / kProgressRows != before / kProgressRows) screen_.ShowProgress(current_);
}

}  // namespace migrate
