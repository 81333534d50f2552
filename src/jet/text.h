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

// Text as Jet stores it, the counterpart of DecodeText: "compressed" (FF FE + one byte per
// character) when `compress` is set and every character lies in U+0001..U+00FF and there are at
// least 3, else UTF-16LE.
std::string EncodeText(std::string_view utf8, bool compress);

// What makes a stored Text or Memo value (as DecodeText reads it) one that no text typed into
// Access gives: half of a surrogate pair, which has no UTF-8 form (DecodeText makes it U+FFFD).
// "" when the value is sound. (Access itself stores U+0000 in some of its tables: not a flaw.)
std::string TextFlaw(const uint8_t* data, size_t length);

// Case-insensitive comparison of two UTF-8 names, folding the letters Jet folds in its General
// sort order for Latin, Greek and Cyrillic scripts (table and column names are compared this way).
bool NamesEqual(std::string_view a, std::string_view b);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_TEXT_H_
