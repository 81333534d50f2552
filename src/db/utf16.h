#ifndef MDBTOMYSQL_DB_UTF16_H_
#define MDBTOMYSQL_DB_UTF16_H_

#include <string>
#include <string_view>

namespace db {

// UTF-8 <-> UTF-16 for the wide ODBC calls, independent of the process locale. Ill-formed input
// becomes U+FFFD rather than being dropped, so a damaged text stays visibly damaged.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace db

#endif  // MDBTOMYSQL_DB_UTF16_H_
