#include "manifest/unicode_case.h"

#include <locale.h>

#include <clocale>
#include <cwctype>

#include "base/utf16.h"

namespace manifest {
namespace {

// Stands for a byte that is not part of well-formed UTF-8: beyond every code point, so that it
// equals only the same byte and has no case.
constexpr char32_t kStrayByte = 0x110000;

// One code point of `text` from `pos` on (advancing `pos`); a byte that does not begin a
// well-formed character stands for itself.
char32_t NextCodePoint(std::string_view text, size_t& pos) {
  const size_t start = pos;
  const char32_t c = base::NextCodePoint(text, &pos);
  if (c == base::kReplacementCharacter && text.compare(start, 3, "\xEF\xBF\xBD") != 0) {
    return kStrayByte + static_cast<unsigned char>(text[start]);
  }
  return c;
}

// Lower case in the C.UTF-8 locale (the whole of Unicode's simple mappings), independent of the
// process's own locale; ASCII only where that locale is missing.
char32_t Lower(char32_t c) {
  if (c >= kStrayByte) return c;
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (utf8 != static_cast<locale_t>(0)) return static_cast<char32_t>(towlower_l(c, utf8));
  return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

}  // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (Lower(NextCodePoint(a, i)) != Lower(NextCodePoint(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

}  // namespace manifest
