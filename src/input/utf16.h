#ifndef MDBTOMYSQL_INPUT_UTF16_H_
#define MDBTOMYSQL_INPUT_UTF16_H_

#include <string>
#include <string_view>

namespace input {

// The fields count characters in UTF-16 code units, as the window system's text controls do: a
// character outside the Basic Multilingual Plane counts twice. The texts themselves travel as
// UTF-8. These two conversions let the helpers count and cut texts in the fields' own units.

// Malformed UTF-8 becomes U+FFFD, one per offending byte.
std::u16string ToUtf16(std::string_view utf8);

// A surrogate without its partner (left by cutting a text inside a pair) becomes U+FFFD.
std::string ToUtf8(std::u16string_view utf16);

}  // namespace input

#endif  // MDBTOMYSQL_INPUT_UTF16_H_
