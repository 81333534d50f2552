#ifndef MDBTOMYSQL_DB_PROVIDERS_H_
#define MDBTOMYSQL_DB_PROVIDERS_H_

#include <memory>
#include <string>

#include "db/session.h"

namespace db {

// Opens a provider for an ADO connection string. The provider is chosen by the string:
// "Provider=Microsoft.Jet.OLEDB.4.0;..." is the Jet provider, "Provider=MSDASQL...;Data Source=N"
// is the ODBC data source N, and a string with no provider (a driver connection string) goes to
// ODBC as it stands. Raises db::Error when the provider cannot be found or refuses to open.
std::unique_ptr<Session> OpenSession(const std::string& connection_string);

}  // namespace db

#endif  // MDBTOMYSQL_DB_PROVIDERS_H_
