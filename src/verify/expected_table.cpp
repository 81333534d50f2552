#include "verify/expected_table.h"

#include <memory>

#include "base/ascii_case.h"
#include "migrate/column_translation.h"
#include "migrate/migration_engine.h"
#include "ui/recording_screen.h"

namespace verify {
namespace {

// MySQL's longest identifier: a longer index name is refused.
constexpr size_t kMaxIdentifier = 64;

// A MySQL session that accepts every statement and keeps it.
class StatementLog : public db::Session {
 public:
  explicit StatementLog(std::vector<std::string>* statements) : statements_(statements) {}
  std::unique_ptr<db::Cursor> Execute(const std::string& text) override {
    statements_->push_back(text);
    return nullptr;
  }

 private:
  std::vector<std::string>* statements_;
};

// The names between back quotes in `text` from `from` on.
std::vector<std::string> QuotedNames(const std::string& text, size_t from) {
  std::vector<std::string> names;
  for (size_t open = text.find('`', from); open != std::string::npos;) {
    const size_t close = text.find('`', open + 1);
    if (close == std::string::npos) break;
    names.push_back(text.substr(open + 1, close - open - 1));
    open = text.find('`', close + 1);
  }
  return names;
}

// Reads one entry of the column definition list: "`name` type [(N)] [NOT NULL] ...".
void ReadDefinition(const std::string& entry, ExpectedColumn* c) {
  size_t at = entry.find('`', 1) + 2;
  const size_t word_end = entry.find_first_of(" ,", at);
  c->data_type = entry.substr(at, word_end - at);
  at = word_end;
  if (entry.compare(at, 2, " (") == 0) c->length = std::stol(entry.substr(at + 2));
  c->not_null = entry.find(" NOT NULL") != std::string::npos;
}

const ExpectedColumn* Find(const ExpectedTable& t, const std::string& name) {
  for (const ExpectedColumn& c : t.columns)
    if (base::ToLowerAscii(c.name) == base::ToLowerAscii(name)) return &c;
  return nullptr;
}

// Adds the index `name` on `column` when the server would take it.
void AddIndex(ExpectedTable& t, const std::string& name, const std::string& column) {
  const ExpectedColumn* c = Find(t, column);
  if (c == nullptr || c->data_type == "longtext" || name.size() > kMaxIdentifier) return;
  for (const auto& [existing, unused] : t.indexes)
    if (base::ToLowerAscii(existing) == base::ToLowerAscii(name)) return;
  t.indexes.emplace_back(name, column);
}

// Reads the statements of ListPK: "CREATE INDEX name ON t (`c`)" and the one ALTER TABLE.
void ReadKeyStatements(const std::vector<std::string>& statements, ExpectedTable& t) {
  for (const std::string& s : statements) {
    if (s.rfind("CREATE INDEX ", 0) == 0) {
      const size_t name_end = s.find(' ', 13);
      const std::vector<std::string> column = QuotedNames(s, name_end);
      if (!column.empty()) AddIndex(t, s.substr(13, name_end - 13), column[0]);
    } else if (s.find(std::string(" ADD ") + kSurrogateKey + " ") != std::string::npos) {
      t.surrogate_key = true;
      t.key = {kSurrogateKey};
    } else if (const size_t pk = s.find("PRIMARY KEY ("); pk != std::string::npos) {
      t.key = QuotedNames(s, pk);
    }
  }
}

}  // namespace

ExpectedTable MigratedTable(db::Connection& source, const std::string& name,
                            const db::Fields& fields) {
  ExpectedTable t;
  t.source_name = name;
  t.mysql_name = base::ToLowerAscii(name);
  for (int i = 0; i < fields.Count(); ++i) {
    const db::Field& f = fields.Item(i);
    db::FieldInfo info{f.Name(), f.Type(), f.DefinedSize(), f.Attributes(), 0, 0};
    ExpectedColumn c;
    const std::string entry = migrate::ColumnDefinition(t.mysql_name, info, &c.auto_increment);
    if (entry.empty()) continue;  // MySQL gets no column for the type
    c.name = f.Name();
    c.source_index = i;
    c.ado_type = f.Type();
    ReadDefinition(entry, &c);
    t.columns.push_back(c);
    // "INDEX(name)" of the AUTO_INCREMENT entry: MySQL names it after its column.
    if (c.auto_increment) AddIndex(t, c.name, c.name);
  }
  std::string auto_number;
  for (const ExpectedColumn& c : t.columns)
    if (c.auto_increment) auto_number = c.name;

  std::vector<std::string> statements;
  db::Connection log;
  log.Attach(std::make_unique<StatementLog>(&statements));
  ui::RecordingScreen silent;
  migrate::MigrationEngine engine(source, log, silent);
  engine.ListPK(t.mysql_name, auto_number);
  ReadKeyStatements(statements, t);
  // A key on a column MySQL lacks or cannot key is refused with its ALTER.
  for (const std::string& k : t.key) {
    const ExpectedColumn* c = Find(t, k);
    if (!t.surrogate_key && (c == nullptr || c->data_type == "longtext")) t.key.clear();
  }
  return t;
}

ExpectedTable LinkedTable(const std::string& name, const db::Fields& fields,
                          std::vector<std::string> mysql_key) {
  ExpectedTable t;
  t.source_name = name;
  t.mysql_name = base::ToLowerAscii(name);
  t.through_link = true;
  for (int i = 0; i < fields.Count(); ++i) {
    ExpectedColumn c;
    c.name = fields.Item(i).Name();
    c.source_index = i;
    c.ado_type = fields.Item(i).Type();
    t.columns.push_back(c);
  }
  t.key = std::move(mysql_key);
  return t;
}

}  // namespace verify
