#include "cli/dry_run_session.h"

#include <string_view>

#include "base/ascii_case.h"

namespace cli {
namespace {

// The statement's words in upper case, outer blanks gone, for its kind.
std::string Upper(const std::string& statement) {
  const size_t start = statement.find_first_not_of(" \t\r\n");
  return base::ToUpperAscii(start == std::string::npos ? "" : statement.substr(start));
}

bool StartsWith(const std::string& text, std::string_view prefix) {
  return text.rfind(prefix, 0) == 0;
}

// The name after `prefix` up to the next blank or parenthesis ("CREATE table NAME (").
std::string NameAfter(const std::string& statement, size_t prefix) {
  const size_t end = statement.find_first_of(" (", prefix);
  return statement.substr(prefix, end == std::string::npos ? std::string::npos : end - prefix);
}

}  // namespace

bool IsReadStatement(const std::string& statement) {
  const std::string upper = Upper(statement);
  // SELECT ... INTO OUTFILE writes a file on the server: not a read.
  if (StartsWith(upper, "SELECT")) return upper.find(" INTO ") == std::string::npos;
  return StartsWith(upper, "SHOW");
}

bool IsRowStatement(const std::string& statement) {
  const std::string upper = Upper(statement);
  for (const char* prefix : {"INSERT INTO ", "LOAD DATA ", "START TRANSACTION", "COMMIT",
                             "ROLLBACK", "SET @MDBTOMYSQL_",
                             "SET SESSION UNIQUE_CHECKS"})
    if (StartsWith(upper, prefix)) return true;
  return StartsWith(upper, "ALTER TABLE ") && upper.find(" AUTO_INCREMENT = 1") != std::string::npos &&
         upper.find(" ADD ") == std::string::npos;
}

std::string DryRunSession::RowsLine(const std::string& table, long rows) {
  return "-- " + std::to_string(rows) + (rows == 1 ? " row into " : " rows into ") + table;
}

std::unique_ptr<db::Cursor> DryRunSession::Execute(const std::string& text) {
  if (IsReadStatement(text)) return server_->Execute(text);
  if (IsRowStatement(text)) {
    if (StartsWith(Upper(text), "INSERT INTO ")) ++rows_;
    return nullptr;
  }
  const std::string upper = Upper(text);
  if (StartsWith(upper, "DROP TABLE ") && !table_.empty()) {
    lines_.push_back(RowsLine(table_, rows_));
    table_.clear();
  }
  if (StartsWith(upper, "CREATE TABLE ")) {
    const size_t start = text.find_first_not_of(" \t\r\n") + 13;
    table_ = NameAfter(text, start);
    rows_ = 0;
  }
  lines_.push_back(text);
  return nullptr;
}

std::vector<std::string> DryRunSession::Lines() const {
  std::vector<std::string> lines = lines_;
  if (!table_.empty()) lines.push_back(RowsLine(table_, rows_));
  return lines;
}

}  // namespace cli
