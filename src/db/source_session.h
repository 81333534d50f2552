#ifndef MDBTOMYSQL_DB_SOURCE_SESSION_H_
#define MDBTOMYSQL_DB_SOURCE_SESSION_H_

#include <string>

#include "db/connection.h"

namespace db {

// The fixed password of the source database.
inline constexpr const char* kSourcePassword = "qarnivel";

// The one global source session: replaced and opened by OpenSourceSession. Before the first call
// it is a closed connection.
Connection& SourceSession();

// Replaces the source session by a new connection (client cursors) and opens it on `path` with
// `password`. Swallows every error: a file that cannot be opened leaves State() at 0.
void OpenSourceSession(std::string path, const std::string& password);

// The same for a source session held elsewhere (the migration engine is handed the one it
// reads).
void OpenSourceSession(Connection& session, const std::string& path, const std::string& password);

}  // namespace db

#endif  // MDBTOMYSQL_DB_SOURCE_SESSION_H_
