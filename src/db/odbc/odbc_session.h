#ifndef MDBTOMYSQL_DB_ODBC_ODBC_SESSION_H_
#define MDBTOMYSQL_DB_ODBC_ODBC_SESSION_H_

#include <memory>
#include <string>

#include "db/session.h"

namespace db::odbc {

// Opens an ODBC connection with a driver connection string ("Driver={...};Server=...;" or
// "DSN=...;"), without prompting. All text crosses the driver manager as UTF-16 through the wide
// calls, so nothing depends on the process locale. Raises db::Error(kProviderError, driver's
// text) when the driver manager or the driver refuses.
std::unique_ptr<Session> OpenDriverSession(const std::string& connection_string);

}  // namespace db::odbc

#endif  // MDBTOMYSQL_DB_ODBC_ODBC_SESSION_H_
