#ifndef MDBTOMYSQL_BASE_HEX_H_
#define MDBTOMYSQL_BASE_HEX_H_

#include <string>
#include <string_view>

namespace base {

// The bytes as upper-case hexadecimal pairs with a space between them ("6D 4A 01"), the way the
// index keys and stored bytes are quoted in reports.
inline std::string SpacedHex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

}  // namespace base

#endif  // MDBTOMYSQL_BASE_HEX_H_
