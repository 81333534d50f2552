// Checks shared by the tests of the engine's writes.
#ifndef MDBTOMYSQL_TESTS_JET_WRITE_CHECKS_H_
#define MDBTOMYSQL_TESTS_JET_WRITE_CHECKS_H_

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/odbc_types.h"
#include "support/test_env.h"

namespace writetest {

inline std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// Row counts of every local and system table, read through the engine.
inline std::map<std::string, size_t> RowCounts(jet::Database& db) {
  std::map<std::string, size_t> counts;
  for (const jet::CatalogueEntry& e : db.Tables()) {
    if (e.kind != jet::TableKind::kLocal && e.kind != jet::TableKind::kSystem) continue;
    jet::TableCursor rows = db.OpenTable(e.name);
    size_t n = 0;
    while (rows.Next()) ++n;
    counts[e.name] = n;
  }
  return counts;
}

// A writable copy of the sample as <scratch folder>/velda.mdb.
inline std::string WritableVelda(const std::string& scratch) {
  const std::string path = testenv::ScratchDir(scratch) + "/velda.mdb";
  std::filesystem::copy_file(testenv::FixturePath("velda_sample.mdb"), path);
  std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  return path;
}

// A remote table as MariaDB's driver describes a migrated one.
inline jet::RemoteTable EmployeeTable() {
  jet::RemoteTable t;
  t.columns = {
      {"MYSQL_IDD", 4, 10, 0, false, true},  // INT AUTO_INCREMENT
      {"EmployeeID", -9, 50, 0, false, false},
      {"Name", -9, 255, 0, false, false},
      {"Notes", -10, 65535, 0, false, false},  // TEXT
      {"Hired", 93, 19, 0, false, false},
      {"Active", -7, 1, 0, false, false},
      {"Rate", 8, 15, 0, false, false},
      {"Grade", -6, 3, 0, true, false},  // TINYINT UNSIGNED
      {"Big", -5, 19, 0, false, false},
      {"Amount", 3, 19, 4, false, false},
  };
  t.indexes = {{"PRIMARY", true, {"MYSQL_IDD"}}, {"EmployeeID", false, {"EmployeeID"}}};
  return t;
}

}  // namespace writetest

#endif  // MDBTOMYSQL_TESTS_JET_WRITE_CHECKS_H_
