#include "db/connection_strings.h"

#include "base/trim.h"
#include "db/connection_string.h"

namespace db {

std::string MySqlConnectionString(const MySqlSettings& s) {
  auto v = [](const std::string& field) { return QuoteOdbcValue(std::string(base::TrimSpaces(field))); };
  return std::string("Driver={") + kMySqlDriverName + "};Server=" + v(s.server) +
         ";Port=" + v(s.port) + ";Database=" + v(s.database) + ";User=" + v(s.user) +
         ";Password=" + v(s.password) + ";Option=3;";
}

std::string DataSourceConnectionString(const std::string& data_source_name) {
  return "Provider=MSDASQL.1;Persist Security Info=False;Data Source=" + data_source_name;
}

}  // namespace db
