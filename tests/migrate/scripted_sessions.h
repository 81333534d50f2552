#ifndef MDBTOMYSQL_TESTS_MIGRATE_SCRIPTED_SESSIONS_H_
#define MDBTOMYSQL_TESTS_MIGRATE_SCRIPTED_SESSIONS_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/error.h"
#include "db/session.h"

namespace migrate {

// A MySQL session that records every statement it is sent, and refuses those a test chooses.
class RecordingSession : public db::Session {
 public:
  struct Log {
    std::vector<std::string> statements;
    // Returns the error to raise for a statement, or nothing to accept it.
    std::function<const db::Error*(const std::string&)> refuse;
  };
  explicit RecordingSession(std::shared_ptr<Log> log) : log_(std::move(log)) {}

  std::unique_ptr<db::Cursor> Execute(const std::string& text) override {
    log_->statements.push_back(text);
    if (log_->refuse)
      if (const db::Error* e = log_->refuse(text)) throw *e;
    return nullptr;
  }

 private:
  std::shared_ptr<Log> log_;
};

// A table a ScriptedSource serves.
struct ScriptedTable {
  std::vector<db::FieldInfo> columns;
  std::vector<std::vector<db::Value>> rows;
};

class ScriptedCursor : public db::Cursor {
 public:
  explicit ScriptedCursor(ScriptedTable table) : table_(std::move(table)) {}
  const std::vector<db::FieldInfo>& Columns() const override { return table_.columns; }
  bool Next(std::vector<db::Value>& row) override {
    if (next_ >= table_.rows.size()) return false;
    row = table_.rows[next_++];
    return true;
  }

 private:
  ScriptedTable table_;
  size_t next_ = 0;
};

// A source session that answers "SELECT * FROM name" from scripted tables and has a catalogue.
class ScriptedSource : public db::Session {
 public:
  std::map<std::string, ScriptedTable> tables;
  std::vector<db::CatalogTable> catalog;

  std::unique_ptr<db::Cursor> Execute(const std::string& text) override {
    const std::string prefix = "SELECT * FROM ";
    if (text.rfind(prefix, 0) == 0) {
      auto it = tables.find(text.substr(prefix.size()));
      if (it != tables.end()) return std::make_unique<ScriptedCursor>(it->second);
    }
    throw db::Error(db::kProviderError, "no such table in the script: " + text);
  }
  std::vector<db::CatalogTable> ReadCatalog() override { return catalog; }
};

}  // namespace migrate

#endif  // MDBTOMYSQL_TESTS_MIGRATE_SCRIPTED_SESSIONS_H_
