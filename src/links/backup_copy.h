#ifndef MDBTOMYSQL_LINKS_BACKUP_COPY_H_
#define MDBTOMYSQL_LINKS_BACKUP_COPY_H_

#include <optional>
#include <string>

namespace links {

// The name of the dated copy the refresh-link command makes of `source_path` (the path as
// typed) before it changes anything. The folder stays as typed; only the file name is rewritten:
// upper-cased, with `date_digits` (ddMMyyyy) and `time_digits` (HHmmss) inserted before ".MDB".
// "/data/Velda.mdb" gives "/data/VELDA08122026093015.MDB". Every occurrence of the base name
// followed by ".MDB" in the file name is rewritten, as the system always did.
//
// Returns nullopt when the file name has no ".mdb" (any case) to insert the stamp before: such a
// "backup" would carry a fixed name that every later run overwrites, the relinked file over the
// only real copy.
std::optional<std::string> BackupPath(const std::string& source_path,
                                      const std::string& date_digits,
                                      const std::string& time_digits);

// Copies `source` to `destination` durably: into an unnamed file in the destination's folder
// (a named temporary file where the file system has none, removed on failure and on SIGINT,
// SIGTERM and SIGHUP), created with the source's permission bits (never wider), synced, then
// given the destination's name, and the folder synced. Afterwards `destination` is a complete
// copy on disk, or nothing was named; no partial copy outlives the process. The source is read
// under a shared lock, so a writer of this program cannot change it mid-copy.
//
// An existing `destination` is never replaced, even by a race: db::Error 58 naming it, before
// anything is copied when it exists already. Raises db::Error 70 when the source cannot be read
// or the destination's folder cannot be written for lack of permission, or another program holds
// the source for writing; any other failure raises db::Error with the system's description of it.
void DurableCopy(const std::string& source, const std::string& destination);

}  // namespace links

#endif  // MDBTOMYSQL_LINKS_BACKUP_COPY_H_
