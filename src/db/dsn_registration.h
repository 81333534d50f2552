#ifndef MDBTOMYSQL_DB_DSN_REGISTRATION_H_
#define MDBTOMYSQL_DB_DSN_REGISTRATION_H_

#include <string>

namespace db {

// The installer's attribute list for the MySQL data source: "DSN=..", "Uid=..", "pwd=..",
// "Server=..", "Port=..", "Database=..", "User=..", "Password=..", "Option=3", each followed by a
// NUL, and one more NUL ending the list. Values stand exactly as given.
std::string DsnAttributeList(const std::string& dsn_name, const std::string& server,
                             const std::string& default_database, const std::string& user,
                             const std::string& password, const std::string& port);

// Registers the ODBC data source `strDSNName` for the MySQL driver. The installer's
// SQLConfigDataSource is asked first; when it refuses (MariaDB's driver has no setup library, so
// it always does here), the same pairs are written into the user data source file ($ODBCINI,
// else ~/.odbc.ini of the account) in one atomic rewrite under a lock (WriteIniSection), the
// file created readable by its owner only, since it holds the password. True when one of the
// two ways registered the data source, false otherwise, and then LastRegistrationFailure() says
// why. A value holding a line end or another control character is refused before anything is
// written. `strDescription` is not used.
bool AddMYSQLDSNConnection(const std::string& strDSNName, const std::string& strDescription,
                           const std::string& strServer, const std::string& strDefaultDatabase,
                           const std::string& roouser, const std::string& roopassword,
                           const std::string& sqlport);

// The user data source file the registration writes to.
std::string UserDataSourceFile();

// Why the last AddMYSQLDSNConnection returned false; empty after a success.
const std::string& LastRegistrationFailure();

}  // namespace db

#endif  // MDBTOMYSQL_DB_DSN_REGISTRATION_H_
