#include "migrate/migration_engine.h"

#include <memory>

#include "db/catalog.h"
#include "db/dao.h"
#include "db/error.h"
#include "db/source_session.h"
#include "migrate/column_translation.h"
#include "migrate/value_rendering.h"

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

RowBatch::RowBatch(std::string head, size_t max_bytes)
    : head_(std::move(head)), max_bytes_(max_bytes) {}

void RowBatch::Add(const std::string& values) {
  rows_.push_back(values);
  bytes_ += values.size() + 4;
}

bool RowBatch::Full() const { return rows_.size() >= kBatchRows || bytes_ >= max_bytes_; }

std::string RowBatch::Statement() const {
  std::string s;
  s.reserve(head_.size() + bytes_);
  s += head_;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (i) s += "), (";
    s += rows_[i];
  }
  s += ')';
  return s;
}

std::string RowBatch::SingleStatement(size_t i) const { return head_ + rows_[i] + ")"; }

void RowBatch::Clear() {
  rows_.clear();
  bytes_ = 0;
}

std::string FixQuote(const std::string& text) {
  std::string doubled;
  doubled.reserve(text.size() + 8);
  for (char c : text) {
    doubled += c;
    if (c == '\'') doubled += '\'';
  }
  const size_t begin = doubled.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  const size_t end = doubled.find_last_not_of(' ');
  return doubled.substr(begin, end - begin + 1);
}

void MigrationEngine::DropTable(const std::string& TableName) {
  try {
    mysql_.Execute("DROP table `" + TableName + "`");
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
  std::string table;
  try {
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
    if (!row_at_a_time_) {
      // A statement must fit the server's packet; keep well below it, leaving room for the
      // statement's head and for one row beyond the cap.
      last_statement_ = "SELECT @@max_allowed_packet";
      std::unique_ptr<db::Recordset> packet = mysql_.Execute(last_statement_);
      const db::Value& v = packet->Fields().Item(0).GetValue();
      const int64_t limit = v.kind() == db::Value::Kind::kInteger ? v.AsInteger() : 0;
      batch_bytes_ = RowBatch::kMaxBatchBytes;
      if (limit > 0 && size_t(limit / 4) < batch_bytes_) batch_bytes_ = size_t(limit / 4);
    }

    std::unique_ptr<db::dao::Database> catalogue =
        db::dao::OpenDatabase(source_path, false, false, std::string(";pwd=") + db::kSourcePassword);
    std::vector<db::dao::TableDef> selected;
    for (const db::dao::TableDef& def : catalogue->TableDefs())
      if (IsSelectedTable(def.name)) selected.push_back(def);

    current_ = Progress{};
    current_.table_count = int(selected.size());
    for (const db::dao::TableDef& def : selected) {
      table = def.name;
      ++current_.table_number;
      current_.table_name = table;
      current_.rows_copied = 0;
      if (def.connect.rfind("ODBC;", 0) == 0) {
        skipped_linked_.push_back(table);
        continue;
      }
      if (progress_) progress_(current_);

      last_statement_ = "SELECT * FROM " + table;
      std::unique_ptr<db::Recordset> columns = db::SourceSession().Execute(last_statement_);
      const std::string mysql_table = LowerCase(table);
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
      mysql_.Execute(last_statement_);
      ListPK(mysql_table, auto_number);
      CopyTableRows(table, mysql_table, insert_columns);
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

std::string MigrationEngine::ListPK(const std::string& tbl, const std::string& AutoNumberField) {
  db::Connection& source = db::SourceSession();
  if (source.State() == db::kAdStateClosed)
    db::OpenSourceSession(source_path_, db::kSourcePassword);
  db::Catalog catalog;
  catalog.SetActiveConnection(db::SourceSession());

  std::string list;
  // Sends one statement; a refusal by the server skips it, any other error ends ListPK after a
  // message. Returns false when ListPK has to end.
  auto send = [&](const std::string& statement) {
    try {
      mysql_.Execute(statement);
      return true;
    } catch (const db::Error& e) {
      if (e.number() == db::kProviderError) return true;
      screen_.MessageBox(std::to_string(e.number()) + ": " + e.description(), "Error",
                         ui::Icon::kNone);
      return false;
    }
  };
  for (const db::CatalogTable& table : catalog.Tables()) {
    if (LowerCase(table.name) != tbl || table.indexes.empty()) continue;
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
  std::unique_ptr<db::Recordset> rows = db::SourceSession().Execute(last_statement_);
  if (rows->Bof() || rows->Eof()) return;
  const std::string head = "INSERT INTO " + mysql_table + " (" + insert_columns + ") VALUES (";
  RowBatch batch(head, batch_bytes_);
  long sent = 0;  // rows the server holds for this table
  std::string values;
  while (!rows->Eof()) {
    if (row_limit_ >= 0 && sent + long(batch.size()) >= row_limit_) break;
    values.clear();
    const db::Fields& fields = rows->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
      const db::Field& f = fields.Item(i);
      if (AppendLiteral(f.Type(), f.GetValue(), &values)) values += ", ";
    }
    if (values.find_first_not_of(' ') != std::string::npos) {
      CutSeparator(values);
      if (row_at_a_time_) {
        last_statement_ = head + values + ")";
        mysql_.Execute(last_statement_);
        ++sent;
        ReportRows(sent);
      } else {
        batch.Add(values);
        if (batch.Full()) {
          SendBatch(batch, mysql_table, &sent);
          ReportRows(sent);
        }
      }
    }
    rows->MoveNext();
  }
  if (!batch.empty()) SendBatch(batch, mysql_table, &sent);
  current_.rows_copied = sent;
  if (progress_) progress_(current_);
}

void MigrationEngine::ReportRows(long sent) {
  const long before = current_.rows_copied;
  current_.rows_copied = sent;
  if (progress_ && sent / kProgressRows != before / kProgressRows) progress_(current_);
}

void MigrationEngine::SendBatch(RowBatch& batch, const std::string& mysql_table, long* sent) {
  last_statement_ = batch.Statement();
  try {
    mysql_.Execute(last_statement_);
    *sent += long(batch.size());
    batch.Clear();
    return;
  } catch (const db::Error& e) {
    if (e.number() != db::kProviderError) throw;
  }
  // The server refused a row of the batch. Make the table what one statement per row would have
  // left: a table that keeps the rows before the refused one (MyISAM) keeps them, the
  // auto-increment counter goes back to where it stood, and the batch is sent again row by row
  // from the first row the table lacks, so the refused row fails alone, as it would have.
  std::unique_ptr<db::Recordset> count = mysql_.Execute("SELECT COUNT(*) FROM " + mysql_table);
  long kept = 0;
  if (!count->Eof()) kept = long(count->Fields().Item(0).GetValue().AsInteger()) - *sent;
  if (kept < 0 || size_t(kept) > batch.size()) kept = 0;
  try {
    mysql_.Execute("ALTER TABLE " + mysql_table + " AUTO_INCREMENT = 1");
  } catch (const db::Error&) {
    // A table without a counter has nothing to restore.
  }
  *sent += kept;
  for (size_t i = size_t(kept); i < batch.size(); ++i) {
    last_statement_ = batch.SingleStatement(i);
    mysql_.Execute(last_statement_);
    ++*sent;
  }
  batch.Clear();
}

}  // namespace migrate
