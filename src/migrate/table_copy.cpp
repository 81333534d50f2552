#include "migrate/table_copy.h"

#include <cstdlib>

#include "db/error.h"
#include "migrate/row_rendering.h"

namespace migrate {

TableCopy::TableCopy(db::Connection& source, db::Connection& mysql, const CopySettings& settings,
                     CopyRun& run, std::string* last_statement, std::string source_table,
                     std::string mysql_table, std::string insert_columns,
                     std::function<void(long)> report_rows)
    : source_(source),
      mysql_(mysql),
      settings_(settings),
      run_(run),
      last_statement_(last_statement),
      source_table_(std::move(source_table)),
      mysql_table_(std::move(mysql_table)),
      insert_columns_(std::move(insert_columns)),
      head_("INSERT INTO " + mysql_table_ + " (" + insert_columns_ + ") VALUES ("),
      report_rows_(std::move(report_rows)) {}

std::unique_ptr<db::Recordset> TableCopy::Execute(const std::string& statement) {
  *last_statement_ = statement;
  return mysql_.Execute(statement);
}

void TableCopy::Insert(const std::string& statement) {
  *last_statement_ = statement;
  ExecuteOnCluster(mysql_, settings_.cluster, settings_.cluster.numbering_prefix + statement);
}

std::unique_ptr<db::Recordset> TableCopy::OpenSourceAt(long row) {
  std::unique_ptr<db::Recordset> rows = source_.Execute("SELECT * FROM " + source_table_);
  for (long i = 0; i < row && !rows->Eof(); ++i) rows->MoveNext();
  return rows;
}

void TableCopy::ShowLastRowSent(long sent) {
  if (sent <= 0) {
    *last_statement_ = "SELECT * FROM " + source_table_;
    return;
  }
  std::unique_ptr<db::Recordset> rows = OpenSourceAt(sent - 1);
  *last_statement_ = head_ + (rows->Eof() ? std::string() : InsertValues(rows->Fields())) + ")";
}

bool TableCopy::LoadWroteExactly(long rows) {
  std::unique_ptr<db::Recordset> counts =
      mysql_.Execute("SELECT @mdbtomysql_rows, @mdbtomysql_warnings");
  if (counts->Eof()) return false;
  const db::Value& written = counts->Fields().Item(0).GetValue();
  const db::Value& warnings = counts->Fields().Item(1).GetValue();
  return !written.IsNull() && !warnings.IsNull() && written.ToString() == std::to_string(rows) &&
         warnings.ToString() == "0";
}

long TableCopy::RowsHeld() {
  std::unique_ptr<db::Recordset> count = mysql_.Execute("SELECT COUNT(*) FROM " + mysql_table_);
  if (count->Eof()) return -1;
  const db::Value& v = count->Fields().Item(0).GetValue();
  if (v.kind() == db::Value::Kind::kInteger) return long(v.AsInteger());
  if (v.IsNull()) return -1;
  const std::string text = v.ToString();
  char* end = nullptr;
  const long held = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' ? held : -1;
}

void TableCopy::RestoreAutoIncrement() {
  try {
    // The server raises the counter to the largest number the table holds, plus one.
    ExecuteOnCluster(mysql_, settings_.cluster, "ALTER TABLE " + mysql_table_ + " AUTO_INCREMENT = 1");
  } catch (const db::Error&) {
    // A table without a counter has nothing to restore.
  }
}

}  // namespace migrate
