#ifndef MDBTOMYSQL_DB_MYSQL_QUOTING_H_
#define MDBTOMYSQL_DB_MYSQL_QUOTING_H_

#include <string>
#include <string_view>

namespace db {

// A MySQL identifier between back quotes, a back quote inside doubled, so that no name can end
// the identifier early.
std::string QuoteMySqlName(std::string_view name);

// A text literal for a session with NO_BACKSLASH_ESCAPES: single quotes doubled, nothing else.
std::string QuoteMySqlText(std::string_view text);

// A text literal for a session in the server's default mode, where a backslash escapes the next
// character: single quotes and backslashes doubled.
std::string QuoteMySqlTextAndBackslashes(std::string_view text);

}  // namespace db

#endif  // MDBTOMYSQL_DB_MYSQL_QUOTING_H_
