#include "verify/row_merge.h"

#include "verify/cell_text.h"

namespace verify {
namespace {

// "EmpID=5" or "DayNo=1, ShiftCode='D'".
std::string KeyText(const Row& row, const KeyOrder& order, const std::vector<std::string>& names) {
  std::string text;
  for (size_t cell : order.cells()) {
    if (!text.empty()) text += ", ";
    const std::string& value = row[cell];
    const bool plain = !value.empty() && value.find_first_not_of("-0123456789.e+") == std::string::npos;
    text += names[cell] + "=" + (plain ? value : ShownCell(value));
  }
  return text;
}

}  // namespace

void MergeRows(RowReader& file, RowReader& mysql, const KeyOrder& order,
               const std::vector<std::string>& names, TableReport* report) {
  Row f, m;
  bool has_f = file.Next(&f), has_m = mysql.Next(&m);
  while (has_f || has_m) {
    const int c = !has_f ? 1 : !has_m ? -1 : order.Compare(f, m);
    if (c < 0) {
      ++report->file_rows;
      report->Add(KeyText(f, order, names) + ": not in MySQL");
      has_f = file.Next(&f);
      continue;
    }
    if (c > 0) {
      ++report->mysql_rows;
      report->Add(KeyText(m, order, names) + ": in MySQL only");
      has_m = mysql.Next(&m);
      continue;
    }
    ++report->file_rows;
    ++report->mysql_rows;
    bool equal = f.size() == m.size();
    for (size_t i = 0; i < f.size() && i < m.size(); ++i) {
      if (f[i] == m[i]) continue;
      equal = false;
      report->Add(KeyText(f, order, names) + ": column " + names[i] + ": file " + ShownCell(f[i]) +
                  ", MySQL " + ShownCell(m[i]));
    }
    if (equal) ++report->equal_rows;
    has_f = file.Next(&f);
    has_m = mysql.Next(&m);
  }
}

}  // namespace verify
