#ifndef MDBTOMYSQL_DB_ASCII_CASE_H_
#define MDBTOMYSQL_DB_ASCII_CASE_H_

#include <string>
#include <string_view>

namespace db {

// Comparisons that ignore the case of ASCII letters, as ADO and DAO compare names and keywords.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Upper case for ASCII letters only: the bytes of a UTF-8 name outside ASCII stay as they are.
std::string ToUpperAscii(std::string text);

}  // namespace db

#endif  // MDBTOMYSQL_DB_ASCII_CASE_H_
