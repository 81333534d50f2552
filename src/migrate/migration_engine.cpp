#include "migrate/migration_engine.h"

#include <algorithm>
#include <exception>
#include <future>
#include <memory>

#include "db/catalog.h"
#include "db/dao.h"
#include "db/error.h"
#include "db/source_session.h"
#include "migrate/column_translation.h"
#include "migrate/tab_file.h"
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

RowBatch::RowBatch(std::string head, size_t max_bytes, size_t max_rows)
    : head_(std::move(head)), max_bytes_(max_bytes), max_rows_(max_rows) {}

void RowBatch::Add(const std::string& values) {
  rows_.push_back(values);
  bytes_ += values.size() + 4;
}

bool RowBatch::Full() const { return rows_.size() >= max_rows_ || bytes_ >= max_bytes_; }

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
    ExecuteOnCluster(mysql_, cluster_, "DROP table `" + TableName + "`");
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
  loaded_rows_ = 0;
  load_data_refused_ = false;
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
    // On a node of a cluster every transaction of the copy stays inside the write-set limits.
    last_statement_ = "SELECT @@wsrep_on";
    cluster_ = ReadClusterSession(mysql_);
    batch_rows_ = size_t(FitRows(cluster_, long(RowBatch::kBatchRows)));
    batch_bytes_ = FitBytes(cluster_, batch_bytes_);
    chunk_rows_ = FitRows(cluster_, chunk_rows_);
    chunk_bytes_ = FitBytes(cluster_, kChunkBytes);

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
      ExecuteOnCluster(mysql_, cluster_, last_statement_);
      ListPK(mysql_table, auto_number);
      RefuseUnreplicatedTable(mysql_, cluster_, mysql_table);
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
      ExecuteOnCluster(mysql_, cluster_, statement);
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
  long sent = 0;  // rows the server holds for this table
  if (!row_at_a_time_ && !load_data_refused_ && LoadDataCarries(mysql_table, rows->Fields()))
    CopyByLoadData(*rows, source_table, mysql_table, insert_columns, head, &sent);
  else
    CopyByInsert(*rows, source_table, mysql_table, head, &sent);
  current_.rows_copied = sent;
  if (progress_) progress_(current_);
}

void MigrationEngine::CopyByInsert(db::Recordset& rows, const std::string& source_table,
                                   const std::string& mysql_table, const std::string& head,
                                   long* sent) {
  RowBatch batch(head, batch_bytes_, batch_rows_);
  std::string values;
  // A row that cannot be read or rendered ends the copy after the rows before it have gone in.
  std::exception_ptr failure;
  while (!rows.Eof()) {
    if (row_limit_ >= 0 && *sent + long(batch.size()) >= row_limit_) break;
    try {
      values.clear();
      const db::Fields& fields = rows.Fields();
      for (int i = 0; i < fields.Count(); ++i) {
        const db::Field& f = fields.Item(i);
        if (AppendLiteral(f.Type(), f.GetValue(), &values)) values += ", ";
      }
    } catch (const db::Error&) {
      failure = std::current_exception();
      break;
    }
    if (values.find_first_not_of(' ') != std::string::npos) {
      CutSeparator(values);
      if (row_at_a_time_) {
        last_statement_ = head + values + ")";
        ExecuteOnCluster(mysql_, cluster_, cluster_.numbering_prefix + last_statement_);
        ++*sent;
        ReportRows(*sent);
      } else {
        batch.Add(values);
        if (batch.Full()) {
          SendBatch(batch, mysql_table, sent);
          ReportRows(*sent);
        }
      }
    }
    try {
      rows.MoveNext();
    } catch (const db::Error&) {
      failure = std::current_exception();
      break;
    }
  }
  if (!batch.empty()) SendBatch(batch, mysql_table, sent);
  if (failure) {
    // The failure shows the last statement one INSERT per row would have sent.
    if (!row_at_a_time_)
      last_statement_ = *sent > 0 ? RowStatement(source_table, head, *sent - 1)
                                  : "SELECT * FROM " + source_table;
    std::rethrow_exception(failure);
  }
}

bool MigrationEngine::LoadDataCarries(const std::string& mysql_table, const db::Fields& fields) {
  // Every column must have an entry in each row, or the rows' fields would not line up with the
  // column list.
  if (fields.Count() == 0) return false;
  std::string probe;
  for (int i = 0; i < fields.Count(); ++i)
    if (!AppendTabField(fields.Item(i).Type(), db::Value::Null(), &probe)) return false;
  // LOAD DATA LOCAL goes on past a refused row, as IGNORE does, leaving a truncated value or
  // skipping a duplicate with a warning. Only a transaction can take such a chunk back whole, so
  // tables of engines without one (MyISAM) get INSERTs, which stop at the refused row.
  std::string name;
  for (char c : mysql_table) {
    name += c;
    if (c == '\'') name += '\'';
  }
  try {
    std::unique_ptr<db::Recordset> engine = mysql_.Execute(
        "SELECT ENGINE FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
        "AND TABLE_NAME = '" + name + "'");
    return !engine->Eof() && LowerCase(engine->Fields().Item(0).GetValue().ToString()) == "innodb";
  } catch (const db::Error& e) {
    if (e.number() != db::kProviderError) throw;
    return false;  // a server that will not say: INSERTs are right for every engine
  }
}

MigrationEngine::Chunk MigrationEngine::FillChunk(db::Recordset& rows, TabFile& file, long limit,
                                                  long* read) {
  Chunk chunk;
  try {
    file.Clear();
    std::string line;
    while (!rows.Eof() && (row_limit_ < 0 || *read < row_limit_)) {
      if (chunk.rows >= limit || file.bytes() >= chunk_bytes_) {
        chunk.more = true;
        break;
      }
      line.clear();
      const db::Fields& fields = rows.Fields();
      for (int i = 0; i < fields.Count(); ++i) {
        const db::Field& f = fields.Item(i);
        AppendTabField(f.Type(), f.GetValue(), &line);
        line += '\t';
      }
      line.back() = '\n';
      file.Append(line);
      ++chunk.rows;
      ++*read;
      rows.MoveNext();
    }
    file.Flush();
  } catch (const db::Error&) {
    // The rows before the one that cannot be read or rendered (or written) still go in. A file
    // cut short by a failed write is refused whole by LoadChunk, and its rows go as INSERTs.
    chunk.failure = std::current_exception();
  }
  return chunk;
}

void MigrationEngine::ReplayRows(const std::string& source_table, const std::string& mysql_table,
                                 const std::string& head, long count, long* sent) {
  std::unique_ptr<db::Recordset> rows = OpenSourceAt(source_table, *sent);
  RowBatch batch(head, batch_bytes_, batch_rows_);
  std::string values;
  for (long left = count; left > 0 && !rows->Eof(); --left) {
    values.clear();
    const db::Fields& fields = rows->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
      const db::Field& f = fields.Item(i);
      AppendLiteral(f.Type(), f.GetValue(), &values);
      values += ", ";
    }
    CutSeparator(values);
    batch.Add(values);
    if (batch.Full()) SendBatch(batch, mysql_table, sent);
    rows->MoveNext();
  }
  if (!batch.empty()) SendBatch(batch, mysql_table, sent);
}

void MigrationEngine::CopyByLoadData(db::Recordset& rows, const std::string& source_table,
                                     const std::string& mysql_table,
                                     const std::string& insert_columns, const std::string& head,
                                     long* sent) {
  std::unique_ptr<TabFile> files[2];
  try {
    files[0] = std::make_unique<TabFile>();
    files[1] = std::make_unique<TabFile>();
  } catch (const db::Error&) {
    // No private file can be made (a full or read-only temporary folder): INSERTs need none.
    CopyByInsert(rows, source_table, mysql_table, head, sent);
    return;
  }
  // While the server loads one file, a second thread reads and writes the next one. Only one
  // thread at a time touches the source: the main thread waits for the reader before it reads
  // the source again itself.
  long read = *sent;
  int current = 0;
  // The first file is small, so that the server starts early; the second thread has the next
  // one ready by the time it is done.
  Chunk chunk = FillChunk(rows, *files[current], std::min(chunk_rows_, kFirstChunkRows), &read);
  while (chunk.rows > 0 || chunk.failure) {
    std::future<Chunk> next;
    if (chunk.more)
      next = std::async(std::launch::async, [this, &rows, &files, current, &read] {
        return FillChunk(rows, *files[1 - current], chunk_rows_, &read);
      });
    if (chunk.rows > 0) {
      if (LoadChunk(files[current]->path(), mysql_table, insert_columns, chunk.rows)) {
        *sent += chunk.rows;
        loaded_rows_ += chunk.rows;
      } else {
        // The server took none of the file: the INSERTs decide which rows it accepts.
        if (next.valid()) next.wait();
        ReplayRows(source_table, mysql_table, head, chunk.rows, sent);
      }
      ReportRows(*sent);
    }
    if (chunk.failure) {
      last_statement_ = *sent > 0 ? RowStatement(source_table, head, *sent - 1)
                                  : "SELECT * FROM " + source_table;
      std::rethrow_exception(chunk.failure);
    }
    if (!next.valid()) return;
    chunk = next.get();
    current = 1 - current;
    if (load_data_refused_) {
      // The rest of the table goes as INSERTs, the rows already read into the next file first.
      if (chunk.rows > 0) ReplayRows(source_table, mysql_table, head, chunk.rows, sent);
      if (chunk.failure) {
        last_statement_ = *sent > 0 ? RowStatement(source_table, head, *sent - 1)
                                    : "SELECT * FROM " + source_table;
        std::rethrow_exception(chunk.failure);
      }
      CopyByInsert(rows, source_table, mysql_table, head, sent);
      return;
    }
  }
}

bool MigrationEngine::LoadChunk(const std::string& path, const std::string& mysql_table,
                                const std::string& insert_columns, long rows) {
  for (int attempt = 1;; ++attempt) {
    try {
      return LoadChunkOnce(path, mysql_table, insert_columns, rows);
    } catch (const db::Error& e) {
      // A node of the cluster going away can refuse the file's transaction at any statement;
      // nothing of it is kept, and the file goes again whole.
      if (!RecoverFromHiccup(mysql_, cluster_, e, attempt)) throw;
    }
  }
}

bool MigrationEngine::LoadChunkOnce(const std::string& path, const std::string& mysql_table,
                                    const std::string& insert_columns, long rows) {
  last_statement_ = "START TRANSACTION";
  mysql_.Execute(last_statement_);
  last_statement_ = "LOAD DATA LOCAL INFILE '" + path + "' INTO TABLE " + mysql_table + " " +
                    TabFile::kFormatClauses + " (" + insert_columns + ")" +
                    LoadDataNumbering(mysql_, cluster_, mysql_table, insert_columns);
  bool whole = false;
  try {
    mysql_.Execute(last_statement_);
    // A clean load took every line: each line the server refused, cut short or skipped as a
    // duplicate leaves a warning, and the server counts the rows it wrote. Both are taken in one
    // statement right after the load: the driver prepares a SELECT, and preparing clears the row
    // count. (Should the driver ever prepare this SET too, the count reads 0 and the file goes
    // as INSERTs: slower, never wrong.)
    mysql_.Execute("SET @mdbtomysql_rows = ROW_COUNT(), @mdbtomysql_warnings = @@warning_count");
    std::unique_ptr<db::Recordset> check =
        mysql_.Execute("SELECT @mdbtomysql_rows, @mdbtomysql_warnings");
    whole = !check->Eof() && check->Fields().Item(0).GetValue().ToString() == std::to_string(rows) &&
            check->Fields().Item(1).GetValue().ToString() == "0";
  } catch (const db::Error& e) {
    if (e.number() != db::kProviderError || IsClusterHiccup(cluster_, e)) throw;
    load_data_refused_ = true;
  }
  last_statement_ = whole ? "COMMIT" : "ROLLBACK";
  mysql_.Execute(last_statement_);
  // InnoDB numbers the rows of one LOAD DATA consecutively but reserves numbers for it in
  // growing blocks, and a rollback does not give numbers back: either way the counter is set back
  // to follow the largest number the table holds, as one INSERT per row leaves it.
  RestoreAutoIncrement(mysql_table);
  return whole;
}

std::unique_ptr<db::Recordset> MigrationEngine::OpenSourceAt(const std::string& source_table,
                                                             long row) {
  std::unique_ptr<db::Recordset> rows = db::SourceSession().Execute("SELECT * FROM " + source_table);
  for (long i = 0; i < row && !rows->Eof(); ++i) rows->MoveNext();
  return rows;
}

std::string MigrationEngine::RowStatement(const std::string& source_table, const std::string& head,
                                          long row) {
  std::unique_ptr<db::Recordset> rows = OpenSourceAt(source_table, row);
  std::string values;
  if (!rows->Eof()) {
    const db::Fields& fields = rows->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
      const db::Field& f = fields.Item(i);
      if (AppendLiteral(f.Type(), f.GetValue(), &values)) values += ", ";
    }
    CutSeparator(values);
  }
  return head + values + ")";
}

void MigrationEngine::ReportRows(long sent) {
  const long before = current_.rows_copied;
  current_.rows_copied = sent;
  if (progress_ && sent / kProgressRows != before / kProgressRows) progress_(current_);
}

void MigrationEngine::RestoreAutoIncrement(const std::string& mysql_table) {
  try {
    // The server raises the counter to the largest number the table holds, plus one.
    ExecuteOnCluster(mysql_, cluster_, "ALTER TABLE " + mysql_table + " AUTO_INCREMENT = 1");
  } catch (const db::Error&) {
    // A table without a counter has nothing to restore.
  }
}

void MigrationEngine::SendBatch(RowBatch& batch, const std::string& mysql_table, long* sent) {
  last_statement_ = batch.Statement();
  try {
    ExecuteOnCluster(mysql_, cluster_, cluster_.numbering_prefix + last_statement_);
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
  RestoreAutoIncrement(mysql_table);
  *sent += kept;
  for (size_t i = size_t(kept); i < batch.size(); ++i) {
    last_statement_ = batch.SingleStatement(i);
    ExecuteOnCluster(mysql_, cluster_, cluster_.numbering_prefix + last_statement_);
    ++*sent;
  }
  batch.Clear();
}

}  // namespace migrate
