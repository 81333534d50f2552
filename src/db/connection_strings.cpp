#include "db/connection_strings.h"

#include "base/trim.h"
#include "db/connection_string_syntax.h"

namespace db {

std::string MySqlConnectionString(const MySqlSettings& s) {
  auto v = [](const std::string& field) { return QuoteOdbcValue(std::string(base::TrimSpaces(field))); };
  return std::string("Driver={") + kMySqlDriverName + "};Server=" + v(s.server) +
         ";Port=" + v(s.port) + ";Database=" + v(s.database) + ";User=" + v(s.user) +
         ";Password=" + v(s.password) + ";Option=3;";
}

std::string SourceConnectionString(const std::string& path, const std::string& password) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + QuoteOleDbValue(path, false) +
         ";Jet OLEDB:Database Password= " + QuoteOleDbValue(password, true) + ";";
}

std::string DataSourceConnectionString(const std::string& data_source_name) {
  return "Provider=MSDASQL.1;Persist Security Info=False;Data Source=" + data_source_name;
}

std::string DataSourceDriverString(const std::string& data_source_name) {
  return "DSN=" + QuoteOdbcValue(data_source_name) + ";";
}

std::string LinkConnectString(const std::string& data_source_name) {
  return "ODBC;DSN=" + data_source_name + ";";
}

}  // namespace db
