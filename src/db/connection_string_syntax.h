#ifndef MDBTOMYSQL_DB_CONNECTION_STRING_SYNTAX_H_
#define MDBTOMYSQL_DB_CONNECTION_STRING_SYNTAX_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace db {

// How connection strings are written: ODBC's "Key=Value;" pairs with braced values, and OLE DB's
// with double-quoted ones. Reading understands both; each writer quotes for its own dialect.

// One "Key=Value" pair of a connection string, as written (the value without its quoting).
using ConnectionAttribute = std::pair<std::string, std::string>;

// Splits a connection string into its pairs. A value may be wrapped in braces, with "}}" standing
// for one "}" inside them, or in double quotes, with '""' standing for one '"' (OLE DB's form);
// such a value may hold ";". Keys are trimmed; unquoted values are trimmed as well.
std::vector<ConnectionAttribute> ParseConnectionString(std::string_view text);

// The value of `key` (compared case-insensitively); the first pair wins, as ODBC's does.
std::optional<std::string> FindAttribute(const std::vector<ConnectionAttribute>& attributes,
                                         std::string_view key);

// The value as it has to stand in an ODBC connection string so that it reads back unchanged:
// as it is when it holds none of ";{}" and has no outer spaces, otherwise in braces with every
// "}" doubled.
std::string QuoteOdbcValue(const std::string& value);

// The value as it has to stand in an OLE DB connection string so that it reads back unchanged:
// a value the provider would split (";") or misread ('"', a leading "{") in double quotes with '"'
// doubled. `keep_blanks` quotes a value with outer blanks too, which the provider would
// otherwise trim; without it such a value stands as it is.
std::string QuoteOleDbValue(const std::string& value, bool keep_blanks);

}  // namespace db

#endif  // MDBTOMYSQL_DB_CONNECTION_STRING_SYNTAX_H_
