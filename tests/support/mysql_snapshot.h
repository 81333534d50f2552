#ifndef MDBTOMYSQL_TESTS_SUPPORT_MYSQL_SNAPSHOT_H_
#define MDBTOMYSQL_TESTS_SUPPORT_MYSQL_SNAPSHOT_H_

#include <string>
#include <vector>

#include "db/connection.h"

namespace testenv {

// Everything a person could see of a database: per table, in name order, a line "table <name>
// next <AUTO_INCREMENT>" and then its rows (sorted, auto-increment and MYSQL_IDD numbers
// included).
std::vector<std::string> Snapshot(db::Connection& admin, const std::string& database);

}  // namespace testenv

#endif  // MDBTOMYSQL_TESTS_SUPPORT_MYSQL_SNAPSHOT_H_
