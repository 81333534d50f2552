#ifndef MDBTOMYSQL_BASE_UTF16_H_
#define MDBTOMYSQL_BASE_UTF16_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

// Texts travel as UTF-8 everywhere in the program; the file format, the wide ODBC calls and the
// window system's text fields count UTF-16 code units. These conversions are independent of the
// process locale. Ill-formed input becomes U+FFFD (one per offending byte or unpaired
// surrogate), so that a damaged text stays visibly damaged instead of being dropped.

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Reads one code point of `text` at `*pos` and moves past it: a malformed byte (a stray
// continuation byte, a cut sequence, an overlong form, a surrogate, beyond U+10FFFF) reads as
// U+FFFD and moves one byte on.
char32_t NextCodePoint(std::string_view text, size_t* pos);

// Appends code point `c` to `out` as UTF-8.
void AppendUtf8(char32_t c, std::string* out);

// Code points above U+FFFF become surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace base

#endif  // MDBTOMYSQL_BASE_UTF16_H_
