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

// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Jet OLEDB:Database Password= " +
// password + ";". A path holding ";" or '"', or starting with "{", is written in double quotes
// with '"' doubled, so that it reads back as one value; any other path stands as it is (outer
// blanks included, which the provider then trims, as OLE DB does). A password is quoted by the
// same rule and also when it has outer blanks, so that it reads back exactly.
std::string SourceConnectionString(const std::string& path, const std::string& password);

// "Provider=MSDASQL.1;Persist Security Info=False;Data Source=" + the data source name: the ADO
// string of the data source session.
std::string DataSourceConnectionString(const std::string& data_source_name);

// "DSN=" + the data source name + ";", the name braced where it needs it: the ODBC driver
// manager's string for a registered data source.
std::string DataSourceDriverString(const std::string& data_source_name);

// "ODBC;DSN=" + the data source name + ";": DAO's Connect of every linked table, the name as
// given.
std::string LinkConnectString(const std::string& data_source_name);

}  // namespace db

#endif  // MDBTOMYSQL_DB_CONNECTION_STRINGS_H_
