#ifndef MDBTOMYSQL_DB_CONNECTION_STRINGS_H_
#define MDBTOMYSQL_DB_CONNECTION_STRINGS_H_

#include <string>

namespace db {

// The ODBC driver name the system's strings and data sources use.
inline constexpr const char* kMySqlDriverName = "MySQL ODBC 5.3 UNICODE Driver";

// The five MySQL connection settings, as the main window's fields hold them.
struct MySqlSettings {
  std::string server;
  std::string port;
  std::string database;
  std::string user;
  std::string password;
};

// "Driver={MySQL ODBC 5.3 UNICODE Driver};Server=...;Port=...;Database=...;User=...;Password=...;
// Option=3;" with each setting trimmed of outer spaces. A setting holding ";", "{" or "}" is
// written in braces (with "}" doubled) so that it cannot split the string or add keywords; any
// other setting stands as it is.
std::string MySqlConnectionString(const MySqlSettings& settings);

// "Provider=MSDASQL.1;Persist Security Info=False;Data Source=" + the data source name.
std::string DataSourceConnectionString(const std::string& data_source_name);

}  // namespace db

#endif  // MDBTOMYSQL_DB_CONNECTION_STRINGS_H_
