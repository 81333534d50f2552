#ifndef MDBTOMYSQL_DB_SOURCE_CHECK_H_
#define MDBTOMYSQL_DB_SOURCE_CHECK_H_

#include <optional>
#include <string>

namespace db {

// The engine's check of the source file at `path` before a command copies it or writes into it:
// the first damage it finds ("table tblEmployee: the definition counts 40 rows, the table holds
// 12"), or nothing for a sound file. What Access itself leaves behind in sound files is no
// damage. Reads every table and index once. Raises db::Error (kProviderError) when the file
// cannot be opened at all.
std::optional<std::string> FirstDamageOf(const std::string& path, const std::string& password);

}  // namespace db

#endif  // MDBTOMYSQL_DB_SOURCE_CHECK_H_
