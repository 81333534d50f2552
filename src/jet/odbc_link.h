#ifndef MDBTOMYSQL_JET_ODBC_LINK_H_
#define MDBTOMYSQL_JET_ODBC_LINK_H_

#include <string>

#include "jet/database.h"
#include "jet/odbc_types.h"

namespace jet {

// Creates ODBC link `name` (catalogue type 4) to table `foreign_name` of the ODBC source:
// `connect` is stored as given (DAO's Connect without its "ODBC;"). As Jet does it: the cached
// structure (TDEF, usage maps, empty index roots), permission rows like those of the file's
// other tables, the catalogue row, then its index entries (the name's entry last: the link
// exists from that write on). `now` is the creation date. Every step is durable before the
// next; a stop anywhere leaves a file that opens and reads, with at most unreachable pages and
// rows, which `check` reports as leaks and which a DROP of the name or compacting removes.
// Throws jet::Error, nothing written, when the name is taken or empty, or the file is open
// elsewhere (WriteGuard). `db` is reloaded.
void CreateOdbcLink(Database& db, const std::string& name, const std::string& connect,
                    const std::string& foreign_name, const RemoteTable& remote, double now);

// Refreshes ODBC link `name`: writes its cached structure anew from `remote` over the same TDEF
// page (so its Id and index entries stay), then its catalogue row with the new Connect, foreign
// name, structure information and update date, then frees the old structure's pages. Throws
// jet::Error, nothing written, when there is no such link or it has no cached structure.
void RefreshOdbcLink(Database& db, const std::string& name, const std::string& connect,
                     const std::string& foreign_name, const RemoteTable& remote, double now);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ODBC_LINK_H_
