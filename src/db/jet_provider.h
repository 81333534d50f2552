#ifndef MDBTOMYSQL_DB_JET_PROVIDER_H_
#define MDBTOMYSQL_DB_JET_PROVIDER_H_

#include <memory>
#include <string>

#include "db/session.h"

namespace db {

// Opens the Jet provider for "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=...;Jet OLEDB:Database
// Password= ...;". Raises db::Error when the file cannot be opened.
std::unique_ptr<Session> OpenJetSession(const std::string& connection_string);

}  // namespace db

#endif  // MDBTOMYSQL_DB_JET_PROVIDER_H_
