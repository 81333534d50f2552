#ifndef MDBTOMYSQL_JET_LOCK_FILE_H_
#define MDBTOMYSQL_JET_LOCK_FILE_H_

#include <string>

namespace jet {

// The lock file Access keeps beside a database it has open: the database's path without its
// extension, plus ".ldb" ("velda.ldb" for "velda.mdb").
std::string LockFilePath(const std::string& database_path);

// That lock file, in either case of its extension (".ldb", ".LDB"), when one exists; empty
// otherwise.
std::string ExistingLockFile(const std::string& database_path);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_LOCK_FILE_H_
