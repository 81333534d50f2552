#include "verify/table_shape.h"

#include <memory>

#include "base/ascii_case.h"
#include "db/mysql_quoting.h"

namespace verify {
namespace {

using base::ToLowerAscii;

bool SameName(const std::string& a, const std::string& b) {
  return ToLowerAscii(a) == ToLowerAscii(b);
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
  return text;
}

// The type as the migration's CREATE writes it, for the messages.
std::string TypeText(const ExpectedColumn& c) {
  return c.length >= 0 ? c.data_type + "(" + std::to_string(c.length) + ")" : c.data_type;
}

bool SameType(const ExpectedColumn& e, const ActualColumn& a) {
  if (ToLowerAscii(a.data_type) != e.data_type) return false;
  if (e.data_type == "varchar") return a.length == e.length;
  // Display widths: only where the server still shows them (MySQL 8 does not).
  if (e.data_type == "tinyint" && a.column_type.find('(') != std::string::npos)
    return ToLowerAscii(a.column_type).rfind(TypeText(e), 0) == 0;
  return true;
}

void CompareColumn(const ExpectedTable& t, const ExpectedColumn& e, const ActualColumn& a,
                   std::vector<std::string>* out) {
  const std::string what = "column " + e.name + ": ";
  if (!SameType(e, a)) {
    out->push_back(what + "MySQL has " + a.column_type + ", the migration makes " + TypeText(e));
    return;
  }
  bool keyed = false;
  for (const std::string& k : t.key) keyed |= SameName(k, e.name);
  // A primary key's columns are NOT NULL whatever their definition says.
  const bool nullable = !e.not_null && !keyed;
  if (a.nullable != nullable)
    out->push_back(what + (a.nullable ? "NULL allowed in MySQL, the migration makes it NOT NULL"
                                      : "NOT NULL in MySQL, the migration allows NULL"));
  if (a.auto_increment != e.auto_increment)
    out->push_back(what + (a.auto_increment ? "AUTO_INCREMENT in MySQL only"
                                            : "AUTO_INCREMENT missing in MySQL"));
}

}  // namespace

ActualTable ReadActualTable(db::Session& mysql, const std::string& name) {
  ActualTable t;
  const std::string where = " WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = " +
                            db::QuoteMySqlTextAndBackslashes(name);
  std::vector<db::Value> row;
  std::unique_ptr<db::Cursor> columns = mysql.Execute(
      "SELECT COLUMN_NAME, DATA_TYPE, COLUMN_TYPE, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE, EXTRA "
      "FROM information_schema.COLUMNS" + where + " ORDER BY ORDINAL_POSITION");
  while (columns && columns->Next(row)) {
    ActualColumn c;
    c.name = row[0].ToString();
    c.data_type = row[1].ToString();
    c.column_type = row[2].ToString();
    if (!row[3].IsNull()) c.length = std::stol(row[3].ToString());
    c.nullable = row[4].ToString() == "YES";
    c.auto_increment = ToLowerAscii(row[5].ToString()).find("auto_increment") != std::string::npos;
    t.columns.push_back(c);
  }
  t.exists = !t.columns.empty();
  columns.reset();
  std::unique_ptr<db::Cursor> indexes = mysql.Execute(
      "SELECT INDEX_NAME, COLUMN_NAME FROM information_schema.STATISTICS" + where +
      " ORDER BY INDEX_NAME, SEQ_IN_INDEX");
  while (indexes && indexes->Next(row)) {
    const std::string index = row[0].ToString(), column = row[1].ToString();
    if (index == "PRIMARY") {
      t.primary_key.push_back(column);
    } else if (!t.indexes.empty() && t.indexes.back().first == index) {
      t.indexes.back().second += ", " + column;
    } else {
      t.indexes.emplace_back(index, column);
    }
  }
  return t;
}

const ActualColumn* FindColumn(const ActualTable& actual, const std::string& name) {
  for (const ActualColumn& c : actual.columns)
    if (SameName(c.name, name)) return &c;
  return nullptr;
}

void CompareShape(const ExpectedTable& t, const ActualTable& actual,
                  std::vector<std::string>* out) {
  for (const ExpectedColumn& e : t.columns) {
    const ActualColumn* a = FindColumn(actual, e.name);
    if (a == nullptr)
      out->push_back("column " + e.name + ": missing in MySQL");
    else if (!t.through_link)
      CompareColumn(t, e, *a, out);
  }
  for (const ActualColumn& a : actual.columns) {
    bool known = t.surrogate_key && SameName(a.name, kSurrogateKey);
    for (const ExpectedColumn& e : t.columns) known |= SameName(e.name, a.name);
    if (!known) out->push_back("column " + a.name + ": in MySQL, not made by the migration");
  }
  if (t.through_link) return;
  if (t.surrogate_key) {
    const ActualColumn* id = FindColumn(actual, kSurrogateKey);
    if (id == nullptr)
      out->push_back(std::string("column ") + kSurrogateKey + ": missing in MySQL");
    else if (ToLowerAscii(id->data_type) != "int" || !id->auto_increment)
      out->push_back(std::string("column ") + kSurrogateKey + ": MySQL has " + id->column_type +
                     ", the migration makes int AUTO_INCREMENT");
  }
  if (ToLowerAscii(Joined(actual.primary_key)) != ToLowerAscii(Joined(t.key)))
    out->push_back("primary key: MySQL has (" + Joined(actual.primary_key) +
                   "), the migration makes (" + Joined(t.key) + ")");
  for (const auto& [name, column] : t.indexes) {
    bool found = false;
    for (const auto& [actual_name, actual_columns] : actual.indexes)
      found |= SameName(actual_name, name) && SameName(actual_columns, column);
    if (!found) out->push_back("index " + name + " on " + column + ": missing in MySQL");
  }
  for (const auto& [actual_name, actual_columns] : actual.indexes) {
    bool found = false;
    for (const auto& [name, column] : t.indexes) found |= SameName(actual_name, name);
    if (!found)
      out->push_back("index " + actual_name + " on " + actual_columns +
                     ": in MySQL, not made by the migration");
  }
}

}  // namespace verify
