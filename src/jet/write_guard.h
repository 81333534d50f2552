#ifndef MDBTOMYSQL_JET_WRITE_GUARD_H_
#define MDBTOMYSQL_JET_WRITE_GUARD_H_

#include "jet/database.h"

namespace jet {

// Exclusive write access to an open database for the length of one write: the file is locked
// and its .ldb lock file made, pages go out only through the database's page cache, and on
// leaving, pages modified but not flushed are dropped and the lock released.
//
// Refuses (jet::Error, nothing written) when the database is open in Access (a .ldb beside it)
// or locked by another process, and when its sort order is not General (1033, version 0): index
// keys of text in other orders cannot be computed here, and a wrong key corrupts the index.
class WriteGuard {
 public:
  explicit WriteGuard(Database& db);
  ~WriteGuard();
  WriteGuard(const WriteGuard&) = delete;
  WriteGuard& operator=(const WriteGuard&) = delete;

 private:
  Database& db_;
};

// For a write's catch block: drops the pages not yet written, reads the catalogue again as the
// file now holds it (a retry must see how far the write got), and rethrows the exception being
// handled, as a jet::WriteFailure when a page of the write had reached the file already.
[[noreturn]] void AbandonWrite(Database& db);

// Runs the steps of a write (each durable before the next), abandons the write when one throws,
// and reads the catalogue again either way: the common ending of every write recipe.
template <typename Steps>
void RunWriteSteps(Database& db, Steps steps) {
  try {
    steps();
  } catch (...) {
    AbandonWrite(db);
  }
  db.Reload();
}

// Throws jet::Error unless `column` (a text column whose index a write must maintain) sorts in
// General order, version 0. `what` names the column in the message.
void RequireWritableSortOrder(const Column& column, const std::string& what,
                              const std::string& file_name);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_WRITE_GUARD_H_
