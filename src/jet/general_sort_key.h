#ifndef MDBTOMYSQL_JET_GENERAL_SORT_KEY_H_
#define MDBTOMYSQL_JET_GENERAL_SORT_KEY_H_

#include <optional>
#include <string>
#include <string_view>

namespace jet {

// The index key bytes of a text in Jet 4's "General" sort order (1033, version 0: the order of
// Access 2000-2003 files, "General - Legacy" in later Access), without the leading 0x7F flag, as
// Access writes them: comparing two keys byte by byte (unsigned) orders the texts as a Jet index
// on them does. Case is folded; trailing blanks and everything after the first 255 UTF-16 units
// are ignored. `utf8` is UTF-8, read the way it is stored (base::Utf8ToUtf16). Nothing when a
// character has no known key: one beyond U+FFFF (stored as a surrogate pair).
std::optional<std::string> GeneralTextKey(std::string_view utf8);

// The same for ordering only (names in lists): a character without a key sorts after all others
// by its UTF-16 unit instead of being refused.
std::string GeneralSortKey(std::string_view utf8);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_GENERAL_SORT_KEY_H_
