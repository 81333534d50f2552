#ifndef MDBTOMYSQL_JET_GENERAL_SORT_KEY_H_
#define MDBTOMYSQL_JET_GENERAL_SORT_KEY_H_

#include <string>
#include <string_view>

namespace jet {

// The index key bytes of a text in Jet 4's "General" sort order (version 0, the order of Access
// 2000-2003 files), without the leading 0x7F flag: comparing two keys byte by byte (unsigned)
// orders the texts as a Jet index on them does. Case is folded; trailing blanks and everything
// after the first 255 characters are ignored. `utf8` is UTF-8; characters beyond U+00FF, which
// Access table names hardly ever hold, sort after all others by their code point.
std::string GeneralSortKey(std::string_view utf8);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_GENERAL_SORT_KEY_H_
