#ifndef MDBTOMYSQL_JET_CHECK_H_
#define MDBTOMYSQL_JET_CHECK_H_

#include <optional>
#include <string>
#include <vector>

#include "jet/database.h"

namespace jet {

// What a full check of a database file found.
struct CheckReport {
  // Damage: a column definition its type does not allow, a catalogue without its own columns, a
  // page map listing a page that is not the table's, a data or index page whose header does not
  // fit its contents, a long value whose pieces are not where its column keeps them, a value no
  // sound file holds, an index that lacks a live row or holds a dead one, entries out of order or
  // with a wrong key, a broken tree or chain, a user table's stale row count, a page in use that
  // the global map calls free.
  std::vector<std::string> errors;
  // Harmless oddities that Access itself leaves behind: system tables' stale row counts.
  std::vector<std::string> warnings;
  // Pages neither in use nor marked free: space a crashed write (or Access) leaked, which
  // compacting reclaims. Not damage.
  std::vector<PageNumber> unreachable_pages;
  // Catalogue and permission rows that no lookup reaches any more, missing from their indexes:
  // what a DROP stopped part way leaves (it takes the name's index entry first). Running the DROP
  // again finishes them. And a moved row's data that no row points to: what an UPDATE stopped
  // before it moved the row leaves. Not damage.
  std::vector<std::string> unreachable_rows;
  size_t tables = 0;
  size_t indexes = 0;

  bool ok() const { return errors.empty(); }
};

// Walks every table (user and system) and every index of `db`: every column definition fits
// its type; each index holds exactly the live rows, in key order, with the keys their rows give,
// on pages whose headers fit their entries; row counts match; usage maps list only the owner's
// pages and agree with the global map; every value decodes and long values are read piece by
// piece to their ends. Never throws for damage in the file; each fault becomes one line of the
// report, naming the table (and the index, the row, the page).
CheckReport CheckDatabase(Database& db);

// The gate before a command reads a file to copy it or writes into it: the first error
// CheckDatabase finds ("table tblEmployee: definition page 24: column Salary has the type code 0,
// which Jet 4 does not have"), or nothing when it finds none. Warnings and unreachable rows and
// pages do not stop a command. It reads every table and index once and holds every row's index
// keys while it judges a table (on the 300,000-row benchmark file about three times as long as
// an export of every table, and 120 MB), so call it once per command, on the Database the
// command goes on to use. Throws jet::Error only when `db` cannot be read at all.
std::optional<std::string> FirstDamage(Database& db);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_CHECK_H_
