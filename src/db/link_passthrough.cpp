#include "db/link_passthrough.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "db/connection_string_syntax.h"
#include "db/connection_strings.h"
#include "db/engine_call.h"
#include "db/error.h"
#include "db/jet_field.h"
#include "db/linked_value.h"
#include "db/mysql_quoting.h"
#include "db/odbc/odbc_session.h"
#include "jet/text.h"

namespace db {
namespace {

[[noreturn]] void Refuse(const std::string& description) {
  throw Error(kProviderError, description);
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
  return QuoteMySqlText(*text);
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
    session = odbc::OpenDriverSession(DataSourceDriverString(*dsn));
  } catch (const Error& e) {
    Refuse("Table '" + link.name + "' is linked to ODBC data source " + *dsn +
           ", which cannot be opened: " + e.description());
  }
  // Backslashes in text are data, as the migration wrote them.
  session->Execute("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
                   "'NO_BACKSLASH_ESCAPES')");
  return session;
}

// The link's cached columns, for checking names and typing fields.
std::vector<jet::Column> LinkColumns(jet::Database& database, const jet::CatalogueEntry& link) {
  if (link.table_def != 0) {
    return EngineCall([&] { return database.GetTableDef(link.name).columns; });
  }
  Refuse("Table '" + link.name + "' is linked through ODBC without a cached definition.");
}

// The column `name` of a link, as its cached definition spells it.
const std::string& LinkColumn(const std::vector<jet::Column>& columns,
                                     const jet::CatalogueEntry& link, const std::string& name) {
  for (const jet::Column& c : columns) {
    if (jet::NamesEqual(c.name, name)) return c.name;
  }
  Refuse("Table '" + link.name + "' has no column '" + name + "'.");
}

}  // namespace

void UpdateThroughLink(jet::Database& database, const jet::CatalogueEntry& link,
                       const UpdateStatement& update) {
  const std::vector<jet::Column> columns = LinkColumns(database, link);
  std::string sql = "UPDATE " + QuoteMySqlName(link.foreign_name) + " SET ";
  for (size_t i = 0; i < update.set.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += QuoteMySqlName(LinkColumn(columns, link, update.set[i].column)) + " = " +
           SqlLiteral(update.set[i].value);
  }
  if (update.where) {
    sql += " WHERE " + QuoteMySqlName(LinkColumn(columns, link, update.where->column)) + " = " +
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
    sql += (i > 0 ? ", " : "") + QuoteMySqlName(columns[i].name);
  }
  if (columns.empty()) Refuse("Table '" + link.name + "' is linked through ODBC without columns.");
  sql += " FROM " + QuoteMySqlName(link.foreign_name);
  std::unique_ptr<Session> session = OpenLinkSession(link);
  std::unique_ptr<Cursor> rows = session->Execute(sql);
  return std::make_unique<LinkCursor>(std::move(session), std::move(rows), std::move(columns));
}

}  // namespace db
