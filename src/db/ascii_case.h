#ifndef MDBTOMYSQL_DB_ASCII_CASE_H_
#define MDBTOMYSQL_DB_ASCII_CASE_H_

#include <string_view>

namespace db {

// Comparisons that ignore the case of ASCII letters, as ADO and DAO compare names and keywords.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

}  // namespace db

#endif  // MDBTOMYSQL_DB_ASCII_CASE_H_
