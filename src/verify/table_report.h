#ifndef MDBTOMYSQL_VERIFY_TABLE_REPORT_H_
#define MDBTOMYSQL_VERIFY_TABLE_REPORT_H_

#include <string>
#include <vector>

namespace verify {

// What the comparison of one table found.
struct TableReport {
  // The first differences are kept as texts; the rest are only counted.
  static constexpr size_t kShownDifferences = 5;

  std::string table;          // the source table's name
  bool through_link = false;  // the source table is an ODBC link, read through it
  long file_rows = 0;
  long mysql_rows = 0;
  long equal_rows = 0;
  long differences = 0;       // of the shape and of the rows
  std::vector<std::string> shown;
  std::string error;          // the comparison could not be made: why

  void Add(std::string difference) {
    ++differences;
    if (shown.size() < kShownDifferences) shown.push_back(std::move(difference));
  }
  bool Equal() const { return differences == 0 && error.empty(); }
};

}  // namespace verify

#endif  // MDBTOMYSQL_VERIFY_TABLE_REPORT_H_
