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

// Whether a live process holds a lock on the open file `fd`: an flock or an fcntl lock, shared or
// exclusive, as this program's writers, and Access under Wine or over Samba, hold them; `write`
// asks whether a writer could lock it (any lock conflicts), otherwise whether a reader could (only
// a write lock conflicts). A lock of this open file itself does not count.
bool HeldByAnother(int fd, bool write);

// The lock file beside the database that a live process holds (Access has the database open, or
// a writer of this program is writing it); empty when there is none, or only one that a process
// left behind when it ended, which nobody locks.
std::string LiveLockFile(const std::string& database_path);

// Takes an exclusive lock on the open file `fd` that Access, this program and the kernel all see:
// flock and an fcntl (open file description) write lock over the whole file. False, nothing
// held, when another process holds either. Both go when the file is closed or the process ends.
bool LockExclusively(int fd);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_LOCK_FILE_H_
