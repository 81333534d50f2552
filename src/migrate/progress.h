#ifndef MDBTOMYSQL_MIGRATE_PROGRESS_H_
#define MDBTOMYSQL_MIGRATE_PROGRESS_H_

#include <functional>
#include <string>

namespace migrate {

// Where a migration stands, for a progress display.
struct Progress {
  int table_number = 0;  // 1-based among the selected tables
  int table_count = 0;
  std::string table_name;  // the source table's name
  long rows_copied = 0;
};

// Runs on the migration's thread, but possibly while a second thread of the copy reads the
// source: it must not use the source session.
using ProgressCallback = std::function<void(const Progress&)>;

}  // namespace migrate

#endif  // MDBTOMYSQL_MIGRATE_PROGRESS_H_
