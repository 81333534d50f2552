#include "db/jet_provider.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string_view>

#include <sys/stat.h>

#include "db/connection_string.h"
#include "db/error.h"
#include "db/jet_field.h"
#include "db/jet_properties.h"
#include "db/odbc/odbc_session.h"
#include "db/update_statement.h"
#include "jet/database.h"
#include "jet/drop_table.h"
#include "jet/text.h"
#include "jet/update_rows.h"

namespace db {
namespace {

// A link may point at a file whose table is itself a link; Access follows such chains, but a
// chain this long can only be a loop.
constexpr int kMaxLinkHops = 8;

const char kPasswordKey[] = "Jet OLEDB:Database Password";

[[noreturn]] void Refuse(const std::string& description) {
  throw Error(kProviderError, description);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads `word` (case-insensitive) at `*pos`; on success moves past it.
bool TakeWord(std::string_view text, size_t* pos, std::string_view word) {
  if (text.size() - *pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[*pos + i])) != word[i]) return false;
  }
  *pos += word.size();
  return true;
}

void SkipBlanks(std::string_view text, size_t* pos) {
  while (*pos < text.size() && IsBlank(text[*pos])) ++*pos;
}

// A character Jet SQL accepts in a name written without brackets: letters (any script), digits,
// the underscore.
bool IsBareNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || u >= 0x80;
}

// The table of "SELECT * FROM name" or "SELECT * FROM [name]", or nullopt when `text` is not a
// SELECT at all. Raises kProviderError for a SELECT outside that form.
std::optional<std::string> ParseSelectAll(std::string_view text) {
  size_t pos = 0;
  SkipBlanks(text, &pos);
  if (!TakeWord(text, &pos, "SELECT")) return std::nullopt;
  if (pos < text.size() && IsBareNameChar(text[pos])) return std::nullopt;  // SELECTED ...
  const std::string statement(text);
  SkipBlanks(text, &pos);
  if (pos >= text.size() || text[pos] != '*') {
    Refuse("The Jet provider reads whole tables only (SELECT * FROM table): " + statement);
  }
  ++pos;
  SkipBlanks(text, &pos);
  if (!TakeWord(text, &pos, "FROM") || (pos < text.size() && IsBareNameChar(text[pos]))) {
    Refuse("Syntax error: FROM expected after SELECT * in: " + statement);
  }
  SkipBlanks(text, &pos);
  std::string name;
  if (pos < text.size() && text[pos] == '[') {
    const size_t close = text.find(']', pos + 1);
    if (close == std::string_view::npos) {
      Refuse("Syntax error in FROM clause: the bracket after FROM is not closed in: " + statement);
    }
    name = std::string(text.substr(pos + 1, close - pos - 1));
    pos = close + 1;
    if (name.empty()) Refuse("Syntax error in FROM clause: empty table name in: " + statement);
  } else {
    const size_t start = pos;
    while (pos < text.size() && IsBareNameChar(text[pos])) ++pos;
    name = std::string(text.substr(start, pos - start));
    if (name.empty()) Refuse("Syntax error in FROM clause: table name expected in: " + statement);
    size_t rest = pos;
    SkipBlanks(text, &rest);
    if (rest < text.size() && text[rest] != ';') {
      // "tbl x" or "tbl-x": a name Jet reads only between brackets (or a clause the provider
      // does not read).
      std::string written(text.substr(start));
      while (!written.empty() && (IsBlank(written.back()) || written.back() == ';'))
        written.pop_back();
      Refuse("Syntax error in FROM clause near '" + written +
             "': a table name with blanks or signs must be written in brackets, as [" + written +
             "], and the Jet provider reads nothing but SELECT * FROM table.");
    }
  }
  SkipBlanks(text, &pos);
  if (pos < text.size() && text[pos] == ';') ++pos;
  SkipBlanks(text, &pos);
  if (pos != text.size()) {
    Refuse("The Jet provider reads whole tables only; unexpected text after table '" + name +
           "' in: " + statement);
  }
  return name;
}

// The table of "DROP TABLE name" or "DROP TABLE [name]" (same name rules as SELECT), or nullopt
// when `text` is not a DROP at all. Raises kProviderError for a DROP outside that form.
std::optional<std::string> ParseDropTable(std::string_view text) {
  size_t pos = 0;
  SkipBlanks(text, &pos);
  if (!TakeWord(text, &pos, "DROP")) return std::nullopt;
  if (pos < text.size() && IsBareNameChar(text[pos])) return std::nullopt;
  const std::string statement(text);
  SkipBlanks(text, &pos);
  if (!TakeWord(text, &pos, "TABLE") || (pos < text.size() && IsBareNameChar(text[pos]))) {
    Refuse("The Jet provider drops tables only (DROP TABLE table): " + statement);
  }
  SkipBlanks(text, &pos);
  std::string name;
  if (pos < text.size() && text[pos] == '[') {
    const size_t close = text.find(']', pos + 1);
    if (close == std::string_view::npos) {
      Refuse("Syntax error in DROP TABLE statement: the bracket is not closed in: " + statement);
    }
    name = std::string(text.substr(pos + 1, close - pos - 1));
    pos = close + 1;
    if (name.empty())
      Refuse("Syntax error in DROP TABLE statement: empty table name in: " + statement);
  } else {
    const size_t start = pos;
    while (pos < text.size() && IsBareNameChar(text[pos])) ++pos;
    name = std::string(text.substr(start, pos - start));
    if (name.empty())
      Refuse("Syntax error in DROP TABLE statement: table name expected in: " + statement);
  }
  SkipBlanks(text, &pos);
  if (pos < text.size() && text[pos] == ';') ++pos;
  SkipBlanks(text, &pos);
  if (pos != text.size()) {
    Refuse("Syntax error in DROP TABLE statement near '" + std::string(text.substr(0, pos)) +
           "': a table name with blanks or signs must be written in brackets, and nothing may "
           "follow it: " +
           statement);
  }
  return name;
}

[[noreturn]] void RaiseNoSuchTable(const std::string& name) {
  Refuse("The Microsoft Jet database engine cannot find the input table or query '" + name +
         "'. Make sure it exists and that its name is spelled correctly.");
}

// A MySQL identifier in back quotes (a back quote inside is doubled).
std::string BackQuoted(const std::string& name) {
  std::string out = "`";
  for (char c : name) {
    out += c;
    if (c == '`') out += '`';
  }
  return out + "`";
}

// A literal for a MySQL session that has NO_BACKSLASH_ESCAPES: quotes doubled, nothing else.
std::string SqlLiteral(const jet::Value& value) {
  if (jet::IsNull(value)) return "NULL";
  if (const bool* b = std::get_if<bool>(&value)) return *b ? "1" : "0";
  if (const int64_t* i = std::get_if<int64_t>(&value)) return std::to_string(*i);
  if (const double* d = std::get_if<double>(&value)) {
    if (!std::isfinite(*d)) Refuse("A value that is not a number cannot be sent to MySQL.");
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", *d);
    return buffer;
  }
  const std::string* text = std::get_if<std::string>(&value);
  if (text == nullptr) Refuse("The Jet provider sends text, numbers and NULL only.");
  std::string out = "'";
  for (char c : *text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

// Parses a whole number or a decimal number written as text (MySQL's DECIMAL), or nothing.
std::optional<double> NumberIn(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::kInteger:
      return static_cast<double>(v.AsInteger());
    case Value::Kind::kDouble:
      return v.AsDouble();
    case Value::Kind::kBoolean:
      return v.AsBoolean() ? 1.0 : 0.0;
    case Value::Kind::kCurrency:
      return static_cast<double>(v.AsCurrency().ten_thousandths) / 10000;
    case Value::Kind::kDecimal:
    case Value::Kind::kText: {
      const std::string& t = v.kind() == Value::Kind::kText ? v.AsText() : v.AsDecimal().text;
      char* end = nullptr;
      const double d = std::strtod(t.c_str(), &end);
      if (end == t.c_str() || *end != '\0') return std::nullopt;
      return d;
    }
    default:
      return std::nullopt;
  }
}

// Exact ten-thousandths of a decimal text ("-12.3456"), or nothing.
std::optional<int64_t> TenThousandths(const std::string& text) {
  size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++pos;
  int64_t whole = 0;
  int64_t fraction = 0;
  int fraction_digits = 0;
  bool dot = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '.' && !dot) {
      dot = true;
    } else if (c >= '0' && c <= '9') {
      if (!dot) {
        if (whole > 922337203685477) return std::nullopt;
        whole = whole * 10 + (c - '0');
      } else if (fraction_digits < 4) {
        fraction = fraction * 10 + (c - '0');
        ++fraction_digits;
      }
    } else {
      return std::nullopt;
    }
  }
  for (; fraction_digits < 4; ++fraction_digits) fraction *= 10;
  const int64_t v = whole * 10000 + fraction;
  return negative ? -v : v;
}

// A value read from MySQL as the field of the link's cached column hands it out, the same kind
// a local table of that type gives; one that does not convert is passed on as it came.
Value AsLinkedColumn(const Value& v, const jet::Column& column) {
  if (v.IsNull()) return v;
  const std::optional<double> number = NumberIn(v);
  switch (column.type) {
    case jet::kTypeBoolean:
      if (number) return Value::Boolean(*number != 0);
      break;
    case jet::kTypeByte:
    case jet::kTypeInteger:
    case jet::kTypeLong:
      if (v.kind() == Value::Kind::kInteger) return v;
      if (number && std::nearbyint(*number) == *number) {
        return Value::Integer(static_cast<int64_t>(*number));
      }
      break;
    case jet::kTypeSingle:
    case jet::kTypeDouble:
      if (number) return Value::Double(*number);
      break;
    case jet::kTypeCurrency:
      if (v.kind() == Value::Kind::kCurrency) return v;
      if (v.kind() == Value::Kind::kDecimal) {
        if (std::optional<int64_t> t = TenThousandths(v.AsDecimal().text)) {
          return Value::Money(Currency{*t});
        }
      }
      if (number) return Value::Money(Currency{std::llround(*number * 10000)});
      break;
    case jet::kTypeText:
    case jet::kTypeMemo:
      if (v.kind() != Value::Kind::kText && v.kind() != Value::Kind::kBytes) {
        return Value::Text(v.ToString());
      }
      break;
    default:
      break;
  }
  return v;
}

// The rows of an ODBC-linked table, read through the link's data source, with the fields its
// cached definition gives. Holds the ODBC session, so the Jet session may go first.
class LinkCursor : public Cursor {
 public:
  LinkCursor(std::unique_ptr<Session> session, std::unique_ptr<Cursor> rows,
             std::vector<jet::Column> columns)
      : session_(std::move(session)), rows_(std::move(rows)), columns_(std::move(columns)) {
    for (const jet::Column& c : columns_) fields_.push_back(DescribeJetColumn(c, false));
  }

  const std::vector<FieldInfo>& Columns() const override { return fields_; }

  bool Next(std::vector<Value>& row) override {
    if (!rows_ || !rows_->Next(raw_)) return false;
    row.clear();
    for (size_t i = 0; i < columns_.size(); ++i) {
      row.push_back(i < raw_.size() ? AsLinkedColumn(raw_[i], columns_[i]) : Value::Null());
    }
    return true;
  }

 private:
  std::unique_ptr<Session> session_;  // declared first: outlives the rows below
  std::unique_ptr<Cursor> rows_;
  std::vector<jet::Column> columns_;
  std::vector<FieldInfo> fields_;
  std::vector<Value> raw_;
};

// The data source of an ODBC link, opened as "DSN=<its DSN>;" from its stored connection string.
std::unique_ptr<Session> OpenLinkSession(const jet::CatalogueEntry& link) {
  const std::optional<std::string> dsn =
      FindAttribute(ParseConnectionString(link.connect), "DSN");
  if (!dsn || dsn->empty()) {
    Refuse("Table '" + link.name + "' is linked through ODBC without a data source name (" +
           link.connect + ").");
  }
  std::unique_ptr<Session> session;
  try {
    session = odbc::OpenDriverSession("DSN=" + QuoteOdbcValue(*dsn) + ";");
  } catch (const Error& e) {
    Refuse("Table '" + link.name + "' is linked to ODBC data source " + *dsn +
           ", which cannot be opened: " + e.description());
  }
  // Backslashes in text are data, as the migration wrote them.
  session->Execute("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
                   "'NO_BACKSLASH_ESCAPES')");
  return session;
}

// The rows of one table, read as they are needed. Holds its database, so the session may go
// first.
class JetCursor : public Cursor {
 public:
  JetCursor(std::shared_ptr<jet::Database> database, jet::TableCursor rows,
            const std::vector<std::string>& required)
      : database_(std::move(database)), rows_(std::move(rows)) {
    for (const jet::Column& c : rows_->def().columns) {
      bool is_required = false;
      for (const std::string& name : required) is_required |= jet::NamesEqual(name, c.name);
      columns_.push_back(DescribeJetColumn(c, is_required));
    }
  }

  const std::vector<FieldInfo>& Columns() const override { return columns_; }

  bool Next(std::vector<Value>& row) override {
    try {
      if (!rows_->Next()) return false;
      const std::vector<jet::Column>& columns = rows_->def().columns;
      const std::vector<jet::Value>& values = rows_->values();
      row.clear();
      row.reserve(columns.size());
      for (size_t i = 0; i < columns.size(); ++i)
        row.push_back(ConvertJetValue(values[i], columns[i]));
      return true;
    } catch (const jet::Error& e) {
      Refuse(e.what());
    }
  }

 private:
  std::shared_ptr<jet::Database> database_;  // declared first: outlives the cursor below
  std::optional<jet::TableCursor> rows_;
  std::vector<FieldInfo> columns_;
};

std::shared_ptr<jet::Database> OpenDatabaseFile(const std::string& path,
                                                const std::string& password) {
  try {
    return std::make_shared<jet::Database>(jet::Database::Open(path, password));
  } catch (const jet::Error& e) {
    Refuse(e.what());
  }
}

// The path of an Access link's file: as stored when absolute, otherwise beside the linking file.
std::string LinkedFilePath(const std::string& linking_file, const std::string& stored) {
  const std::filesystem::path path(stored);
  if (path.is_absolute()) return stored;
  return (std::filesystem::path(linking_file).parent_path() / path).string();
}

class JetSession : public Session {
 public:
  JetSession(std::shared_ptr<jet::Database> database, std::string path, std::string password)
      : database_(std::move(database)), path_(std::move(path)), password_(std::move(password)) {}

  std::unique_ptr<Cursor> Execute(const std::string& text) override {
    if (const std::optional<std::string> dropped = ParseDropTable(text)) {
      Drop(*dropped);
      return nullptr;
    }
    if (const std::optional<UpdateStatement> update = ParseUpdate(text)) {
      Update(*update);
      return nullptr;
    }
    const std::optional<std::string> table = ParseSelectAll(text);
    if (!table) {
      Refuse("The Jet provider does not run this statement: " + text);
    }
    return Select(database_, path_, *table, 0);
  }

  std::vector<CatalogTable> ReadCatalog() override {
    try {
      std::vector<CatalogTable> tables;
      for (const jet::CatalogueEntry& entry : database_->Tables()) {
        CatalogTable table;
        table.name = entry.name;
        // A link to another Access file has no definition here; ADOX shows it without indexes.
        if (entry.kind != jet::TableKind::kLinkedAccess) {
          for (const jet::Index& index : database_->GetTableDef(entry.name).indexes) {
            CatalogIndex out;
            out.name = index.name;
            out.primary_key = index.primary_key;
            out.unique = index.unique;
            for (const jet::IndexColumn& column : index.columns)
              out.columns.push_back(CatalogColumn{column.name});
            table.indexes.push_back(std::move(out));
          }
        }
        tables.push_back(std::move(table));
      }
      return tables;
    } catch (const jet::Error& e) {
      Refuse(e.what());
    }
  }

 private:
  // Drops a table of the session's own file, through the engine (its refusals become errors).
  void Drop(const std::string& name) {
    if (database_->FindTable(name) == nullptr) Refuse("Table '" + name + "' does not exist.");
    try {
      jet::DropTable(*database_, name);
    } catch (const jet::Error& e) {
      Refuse(e.what());
    }
    required_.reset();
  }

  // UPDATE on a local table changes the file; on an ODBC link it runs on the link's data
  // source against the table's name there, and the file is not touched.
  void Update(const UpdateStatement& update) {
    const jet::CatalogueEntry* entry = database_->FindTable(update.table);
    if (entry == nullptr) RaiseNoSuchTable(update.table);
    if (entry->kind == jet::TableKind::kLinkedOdbc) {
      UpdateThroughLink(*entry, update);
      return;
    }
    if (entry->kind == jet::TableKind::kLinkedAccess) {
      Refuse("Table '" + entry->name + "' is linked to " + entry->database +
             "; the Jet provider updates its own file only.");
    }
    RequireWritableFile();
    try {
      jet::UpdateRows(*database_, entry->name, update.set, update.where);
    } catch (const jet::Error& e) {
      Refuse(e.what());
    }
    required_.reset();
  }

  // Jet opens a file nobody may write read-only. An account that may write anyway (root) must
  // not change that: a read-only copy is often one a person means to keep as it is.
  void RequireWritableFile() const {
    struct stat st;
    if (::stat(path_.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) {
      Refuse("Cannot update. Database or object is read-only.");
    }
  }

  // The link's cached columns, for checking names and typing fields.
  std::vector<jet::Column> LinkColumns(jet::Database& database, const jet::CatalogueEntry& link) {
    try {
      if (link.table_def != 0) return database.GetTableDef(link.name).columns;
    } catch (const jet::Error& e) {
      Refuse(e.what());
    }
    Refuse("Table '" + link.name + "' is linked through ODBC without a cached definition.");
  }

  // The column `name` of a link, as its cached definition spells it.
  static const std::string& LinkColumn(const std::vector<jet::Column>& columns,
                                       const jet::CatalogueEntry& link, const std::string& name) {
    for (const jet::Column& c : columns) {
      if (jet::NamesEqual(c.name, name)) return c.name;
    }
    Refuse("Table '" + link.name + "' has no column '" + name + "'.");
  }

  void UpdateThroughLink(const jet::CatalogueEntry& link, const UpdateStatement& update) {
    const std::vector<jet::Column> columns = LinkColumns(*database_, link);
    std::string sql = "UPDATE " + BackQuoted(link.foreign_name) + " SET ";
    for (size_t i = 0; i < update.set.size(); ++i) {
      if (i > 0) sql += ", ";
      sql += BackQuoted(LinkColumn(columns, link, update.set[i].column)) + " = " +
             SqlLiteral(update.set[i].value);
    }
    if (update.where) {
      sql += " WHERE " + BackQuoted(LinkColumn(columns, link, update.where->column)) + " = " +
             SqlLiteral(update.where->value);
    }
    std::unique_ptr<Session> session = OpenLinkSession(link);
    session->Execute(sql);
  }

  std::unique_ptr<Cursor> SelectThroughLink(jet::Database& database,
                                            const jet::CatalogueEntry& link) {
    std::vector<jet::Column> columns = LinkColumns(database, link);
    std::string sql = "SELECT ";
    for (size_t i = 0; i < columns.size(); ++i) {
      sql += (i > 0 ? ", " : "") + BackQuoted(columns[i].name);
    }
    if (columns.empty()) Refuse("Table '" + link.name + "' is linked through ODBC without columns.");
    sql += " FROM " + BackQuoted(link.foreign_name);
    std::unique_ptr<Session> session = OpenLinkSession(link);
    std::unique_ptr<Cursor> rows = session->Execute(sql);
    return std::make_unique<LinkCursor>(std::move(session), std::move(rows), std::move(columns));
  }

  // `path` is the file `database` was opened from.
  std::unique_ptr<Cursor> Select(const std::shared_ptr<jet::Database>& database,
                                 const std::string& path, const std::string& name, int hops) {
    const jet::CatalogueEntry* entry = database->FindTable(name);
    if (entry == nullptr) RaiseNoSuchTable(name);
    switch (entry->kind) {
      case jet::TableKind::kLinkedOdbc:
        return SelectThroughLink(*database, *entry);
      case jet::TableKind::kLinkedAccess: {
        if (hops >= kMaxLinkHops) {
          Refuse("Table '" + entry->name + "' is linked in a loop of Access files.");
        }
        const std::string linked_path = LinkedFilePath(path, entry->database);
        std::shared_ptr<jet::Database> linked;
        try {
          linked = OpenDatabaseFile(linked_path, password_);
        } catch (const std::exception& e) {
          Refuse("Table '" + entry->name + "' is linked to " + entry->database +
                 ", which cannot be opened: " + e.what());
        }
        return Select(linked, linked_path, entry->foreign_name, hops + 1);
      }
      case jet::TableKind::kLocal:
      case jet::TableKind::kSystem:
        break;
    }
    try {
      static const std::vector<std::string> kNone;
      const auto& required = RequiredColumnsOf(database);
      auto found = required.find(entry->id);
      return std::make_unique<JetCursor>(database, database->OpenTable(entry->name),
                                         found == required.end() ? kNone : found->second);
    } catch (const jet::Error& e) {
      Refuse(e.what());
    }
  }

  // The Required columns of every table of `database`, read once per session for its own file.
  const std::map<int32_t, std::vector<std::string>>& RequiredColumnsOf(
      const std::shared_ptr<jet::Database>& database) {
    if (database != database_) {
      linked_required_ = ReadRequiredColumns(*database);
      return linked_required_;
    }
    if (!required_) required_ = ReadRequiredColumns(*database_);
    return *required_;
  }

  std::shared_ptr<jet::Database> database_;
  std::string path_;
  std::string password_;
  std::optional<std::map<int32_t, std::vector<std::string>>> required_;
  std::map<int32_t, std::vector<std::string>> linked_required_;
};

}  // namespace

std::unique_ptr<Session> OpenJetSession(const std::string& connection_string) {
  const std::vector<ConnectionAttribute> attributes = ParseConnectionString(connection_string);
  const std::optional<std::string> path = FindAttribute(attributes, "Data Source");
  if (!path || path->empty()) {
    Refuse("The Jet provider needs a database file (Data Source=...).");
  }
  // An unquoted value loses its outer blanks, among them the one the system writes after
  // "Password="; a password with blanks of its own must be quoted.
  const std::string password = FindAttribute(attributes, kPasswordKey).value_or("");
  try {
    return std::make_unique<JetSession>(OpenDatabaseFile(*path, password), *path, password);
  } catch (const Error&) {
    throw;
  } catch (const std::exception& e) {
    // Anything else the engine meets on a damaged file (allocation, filesystem) is a refusal too.
    Refuse("Cannot open " + *path + ": " + e.what());
  }
}

}  // namespace db
