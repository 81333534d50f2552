#ifndef MDBTOMYSQL_BASE_ASCII_CASE_H_
#define MDBTOMYSQL_BASE_ASCII_CASE_H_

#include <string>
#include <string_view>

namespace base {

// Comparisons that ignore the case of ASCII letters, as ADO and DAO compare names and keywords.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Upper and lower case for ASCII letters only: the bytes of a UTF-8 name outside ASCII stay as
// they are, whatever the process locale.
std::string ToUpperAscii(std::string text);
std::string ToLowerAscii(std::string text);

}  // namespace base

#endif  // MDBTOMYSQL_BASE_ASCII_CASE_H_
