#ifndef MDBTOMYSQL_DB_JET_PROVIDER_H_
#define MDBTOMYSQL_DB_JET_PROVIDER_H_

#include <memory>
#include <string>

#include "db/session.h"

namespace db {

// Opens the Jet provider for "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=...;Jet OLEDB:Database
// Password= ...;" (values may be double-quoted; an unquoted one loses its outer blanks, among them
// the one written after "Password="). Raises db::Error (kProviderError) when the file cannot be
// opened: missing, not Jet 4, damaged, or the password is wrong.
//
// The session runs "SELECT * FROM name" and "SELECT * FROM [name]"; a bare name must be letters,
// digits and underscores. Its rows are read as the cursor moves, from the engine's pages, so
// memory does not grow with the table; the cursor keeps the file open after the session closes.
// A table linked to another Access file is read from that file with the same password; every
// other statement raises kProviderError with a description that names it.
//
// It also runs "DROP TABLE name" and "DROP TABLE [name]" on its own file (jet::DropTable): the
// file is written, under an exclusive lock, at once. A name that does not exist, a system table,
// a table in a relationship and a file open in Access raise kProviderError naming the reason.
//
// "UPDATE name SET column = literal [, ...] [WHERE column = literal]" (db/jet_sql.h)
// changes a local table in the file (jet::UpdateRows); a file without any write permission is
// read-only, as in Jet, even for an account that could write it anyway ("Cannot update. Database
// or object is read-only."). On a table linked through ODBC it runs
// instead on the link's data source ("DSN=..." from the stored connection string, backslashes
// taken as data) against the table's name there, with the column names as the link's cached
// definition spells them, and the file is not touched; "SELECT * FROM" such a link reads the
// rows from there, its fields typed as that cached definition says.
std::unique_ptr<Session> OpenJetSession(const std::string& connection_string);

}  // namespace db

#endif  // MDBTOMYSQL_DB_JET_PROVIDER_H_
