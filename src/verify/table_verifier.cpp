#include "verify/table_verifier.h"

#include <memory>
#include <optional>

#include "base/ascii_case.h"
#include "base/error.h"
#include "db/field.h"
#include "db/mysql_quoting.h"
#include "verify/expected_table.h"
#include "verify/paged_rows.h"
#include "verify/prefetched_rows.h"
#include "verify/row_merge.h"
#include "verify/row_stream.h"
#include "verify/table_shape.h"

namespace verify {
namespace {

constexpr long kProgressRows = 10000;

bool IsNumberType(int type) {
  switch (type) {
    case db::ado_type::kInteger: case db::ado_type::kBoolean: case db::ado_type::kDouble:
    case db::ado_type::kSmallInt: case db::ado_type::kTinyInt: case db::ado_type::kBigInt:
    case db::ado_type::kUnsignedTinyInt: case db::ado_type::kUnsignedBigInt:
    case db::ado_type::kSingle: case db::ado_type::kCurrency: case db::ado_type::kNumeric:
    case db::ado_type::kDecimal:
      return true;
    default:
      return false;
  }
}

long CountRows(db::Recordset& rows) {
  long n = 0;
  for (; !rows.Eof(); rows.MoveNext()) ++n;
  return n;
}

// How the rows of one table are read and matched.
struct RowPlan {
  std::vector<const ExpectedColumn*> compared;  // the columns MySQL has, in the table's order
  std::vector<std::string> names;               // of the cells
  KeyOrder order;
  std::string select_from;       // "SELECT columns FROM table"
  std::vector<KeyColumn> key;     // how MySQL orders and pages by the key
  bool paged = false;             // the key is MySQL's primary key, so unique: read in pages
  std::string unmatched;          // why rows cannot be matched, when they cannot
};

RowPlan PlanRows(const ExpectedTable& t, const ActualTable& actual) {
  RowPlan plan;
  std::string columns;
  for (const ExpectedColumn& c : t.columns) {
    const ActualColumn* a = FindColumn(actual, c.name);
    if (a == nullptr) continue;
    plan.compared.push_back(&c);
    plan.names.push_back(c.name);
    columns += (columns.empty() ? "" : ", ") + db::QuoteMySqlName(a->name);
  }
  std::vector<size_t> cells;
  std::vector<bool> numeric;
  if (t.surrogate_key) {
    plan.names.push_back(kSurrogateKey);
    cells.push_back(plan.compared.size());
    numeric.push_back(true);
    columns += (columns.empty() ? "" : ", ") + db::QuoteMySqlName(kSurrogateKey);
    plan.key.push_back({db::QuoteMySqlName(kSurrogateKey), cells.back(), KeyLiteral::kNumber});
    if (FindColumn(actual, kSurrogateKey) == nullptr)
      plan.unmatched = std::string("rows not matched: the key column ") + kSurrogateKey +
                       " is missing in MySQL";
  }
  for (const std::string& k : t.surrogate_key ? std::vector<std::string>{} : t.key) {
    size_t i = 0;
    while (i < plan.compared.size() &&
           base::ToLowerAscii(plan.compared[i]->name) != base::ToLowerAscii(k))
      ++i;
    if (i == plan.compared.size()) {
      plan.unmatched = "rows not matched: the key column " + k + " is missing in MySQL";
      break;
    }
    const int type = plan.compared[i]->ado_type;
    cells.push_back(i);
    numeric.push_back(IsNumberType(type));
    const std::string name = db::QuoteMySqlName(FindColumn(actual, k)->name);
    // Texts in the order of their bytes, which the collation's order is not.
    if (IsNumberType(type))
      plan.key.push_back({name, i, KeyLiteral::kNumber});
    else if (type == db::ado_type::kDate)
      plan.key.push_back({name, i, KeyLiteral::kQuoted});
    else
      plan.key.push_back({"CAST(" + name + " AS BINARY)", i, KeyLiteral::kBytes});
  }
  if (cells.empty() && plan.unmatched.empty()) plan.unmatched = "rows not matched: no key";
  plan.order = KeyOrder(cells, numeric);
  plan.select_from = "SELECT " + columns + " FROM " + db::QuoteMySqlName(t.mysql_name);
  std::string key, primary;
  for (const std::string& k : t.key) key += base::ToLowerAscii(k) + ",";
  for (const std::string& k : actual.primary_key) primary += base::ToLowerAscii(k) + ",";
  plan.paged = key == primary;
  return plan;
}

}  // namespace

void TableVerifier::ReadNumbering() {
  if (numbering_read_) return;
  std::unique_ptr<db::Cursor> c =
      mysql_.Execute("SELECT @@auto_increment_offset, @@auto_increment_increment");
  std::vector<db::Value> row;
  if (c && c->Next(row) && row.size() == 2) {
    first_id_ = std::stol(row[0].ToString());
    id_step_ = std::stol(row[1].ToString());
  }
  numbering_read_ = true;
}

TableReport TableVerifier::Verify(const std::string& table, bool linked,
                                  const std::function<void(long)>& progress) {
  TableReport report;
  report.table = table;
  report.through_link = linked;
  try {
    ReadNumbering();
    CompareRows(table, report, progress);
  } catch (const std::exception& e) {
    report.error = base::DescriptionOf(e);
  }
  return report;
}

void TableVerifier::CompareRows(const std::string& table, TableReport& report,
                                const std::function<void(long)>& progress) {
  const std::string select_all = "SELECT * FROM " + table;
  std::unique_ptr<db::Recordset> rows = source_.Execute(select_all);
  const ActualTable actual = ReadActualTable(mysql_, base::ToLowerAscii(table));
  const ExpectedTable expected = report.through_link
                                     ? LinkedTable(table, rows->Fields(), actual.primary_key)
                                     : MigratedTable(source_, table, rows->Fields());
  if (!actual.exists) {
    report.Add("missing in MySQL");
    report.file_rows = CountRows(*rows);
    return;
  }
  std::vector<std::string> shape;
  CompareShape(expected, actual, &shape);
  for (std::string& difference : shape) report.Add(std::move(difference));
  const RowPlan plan = PlanRows(expected, actual);
  if (!plan.unmatched.empty()) {
    report.Add(plan.unmatched);
    report.file_rows = CountRows(*rows);
    std::unique_ptr<db::Cursor> count =
        mysql_.Execute("SELECT COUNT(*) FROM " + db::QuoteMySqlName(expected.mysql_name));
    std::vector<db::Value> row;
    if (count && count->Next(row)) report.mysql_rows = long(row[0].AsInteger());
    return;
  }
  auto on_row = [&progress](long read) {
    if (progress && read % kProgressRows == 0) progress(read);
  };
  const TableReport shape_only = report;
  // First as the rows come, which is the key's order for most tables; a source found out of
  // that order is read again and sorted.
  auto attempt = [&](std::unique_ptr<db::Recordset> source, bool sort) {
    report = shape_only;
    const bool checked = !sort && !expected.surrogate_key;
    SourceRows file(std::move(source), expected, plan.compared, checked ? &plan.order : nullptr,
                    first_id_, id_step_, on_row);
    // MySQL's rows are read by a thread of their own while this one reads the file.
    auto mysql_rows = [&] {
      if (plan.paged)
        return PrefetchedRows(std::make_unique<PagedRows>(mysql_, plan.select_from, plan.key));
      // A key MySQL does not keep unique cannot page: one result, held whole by the driver.
      return PrefetchedRows(std::make_unique<CursorRows>(
          mysql_.Execute(PagedRows(mysql_, plan.select_from, plan.key, -1).OrderedStatement())));
    };
    if (!sort) {
      PrefetchedRows mysql = mysql_rows();
      MergeRows(file, mysql, plan.order, plan.names, &report);
      return;
    }
    // Sorted before MySQL starts sending: a server kept waiting too long gives up.
    SortedRows sorted(file, plan.order);
    sorted.Sort();
    PrefetchedRows mysql = mysql_rows();
    MergeRows(sorted, mysql, plan.order, plan.names, &report);
  };
  try {
    attempt(std::move(rows), false);
  } catch (const OutOfOrder&) {
    attempt(source_.Execute(select_all), true);
  }
  if (progress) progress(report.file_rows);
}

}  // namespace verify
