#ifndef MDBTOMYSQL_JET_TEXT_H_
#define MDBTOMYSQL_JET_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace jet {

// Decodes a stored Text or Memo value to UTF-8. Jet 4 stores UTF-16LE; a value that starts with
// FF FE is "compressed Unicode": one byte per character (U+0001..U+00FF), where a 0x00 byte
// switches between one-byte and two-byte characters. An odd trailing byte is ignored; unpaired
// surrogates become U+FFFD.
void DecodeText(const uint8_t* data, size_t length, std::string* out);
std::string DecodeText(const uint8_t* data, size_t length);

// What makes a stored Text or Memo value (as DecodeText reads it) one that no text typed into
// Access gives: half of a surrogate pair, which has no UTF-8 form (DecodeText makes it U+FFFD).
// "" when the value is sound. (Access itself stores U+0000 in some of its tables: not a flaw.)
std::string TextFlaw(const uint8_t* data, size_t length);

// UTF-16 (as in column and index names, passwords) to UTF-8.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16 (for storing text); code points above U+FFFF become surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view text);

// Appends code point `c` to `out` as UTF-8.
void AppendUtf8(char32_t c, std::string* out);

// Case-insensitive comparison of two UTF-8 names, folding the letters Jet folds in its General
// sort order for Latin, Greek and Cyrillic scripts (table and column names are compared this way).
bool NamesEqual(std::string_view a, std::string_view b);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_TEXT_H_
