#include "db/connection_strings.h"

#include "db/connection_string.h"

namespace db {

std::string Trim(const std::string& text) {
  const char* kBlanks = " ";
  const size_t b = text.find_first_not_of(kBlanks);
  if (b == std::string::npos) return "";
  const size_t e = text.find_last_not_of(kBlanks);
  return text.substr(b, e - b + 1);
}

std::string MySqlConnectionString(const MySqlSettings& s) {
  auto v = [](const std::string& field) { return QuoteOdbcValue(Trim(field)); };
  return std::string("Driver={") + kMySqlDriverName + "};Server=" + v(s.server) +
         ";Port=" + v(s.port) + ";Database=" + v(s.database) + ";User=" + v(s.user) +
         ";Password=" + v(s.password) + ";Option=3;";
}

std::string DataSourceConnectionString(const std::string& data_source_name) {
  return "Provider=MSDASQL.1;Persist Security Info=False;Data Source=" + data_source_name;
}

}  // namespace db
