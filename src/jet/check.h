#ifndef MDBTOMYSQL_JET_CHECK_H_
#define MDBTOMYSQL_JET_CHECK_H_

#include <string>
#include <vector>

#include "jet/database.h"

namespace jet {

// What a full check of a database file found.
struct CheckReport {
  // Damage: an index that lacks a live row or holds a dead one, entries out of order or with a
  // wrong key, a broken tree or chain, a user table's stale row count, a page in use that the
  // global map calls free.
  std::vector<std::string> errors;
  // Harmless oddities that Access itself leaves behind: system tables' stale row counts, usage
  // maps that still list pages handed to other owners.
  std::vector<std::string> warnings;
  // Pages neither in use nor marked free: space a crashed write (or Access) leaked, which
  // compacting reclaims. Not damage.
  std::vector<PageNumber> unreachable_pages;
  // Catalogue and permission rows that no lookup reaches any more, missing from their indexes:
  // what a DROP stopped part way leaves (it takes the name's index entry first). Running the DROP
  // again finishes them. Not damage.
  std::vector<std::string> unreachable_rows;
  size_t tables = 0;
  size_t indexes = 0;

  bool ok() const { return errors.empty(); }
};

// Walks every table (user and system) and every index of `db`: each index holds exactly the live
// rows, in key order, with the keys their rows give; row counts match; usage maps and the global
// map agree with the pages; long values are read to their ends. Never throws for damage in the
// file; each fault becomes one line of the report, naming the table and index.
CheckReport CheckDatabase(Database& db);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_CHECK_H_
