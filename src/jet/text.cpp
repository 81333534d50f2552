#include "jet/text.h"

namespace jet {
namespace {

// Decodes UTF-16LE units from bytes; `pending_high` carries a high surrogate across calls.
void AppendUnit(char16_t unit, char16_t* pending_high, std::string* out) {
  if (*pending_high != 0) {
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      char32_t c = 0x10000 + ((static_cast<char32_t>(*pending_high) - 0xD800) << 10) +
                   (static_cast<char32_t>(unit) - 0xDC00);
      *pending_high = 0;
      AppendUtf8(c, out);
      return;
    }
    *pending_high = 0;
    AppendUtf8(0xFFFD, out);
  }
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    *pending_high = unit;
  } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
    AppendUtf8(0xFFFD, out);
  } else {
    AppendUtf8(unit, out);
  }
}

char32_t NextCodePoint(std::string_view s, size_t* i) {
  unsigned char c = static_cast<unsigned char>(s[*i]);
  int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
  char32_t value = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
  ++*i;
  for (int k = 0; k < extra && *i < s.size(); ++k, ++*i) {
    value = (value << 6) | (static_cast<unsigned char>(s[*i]) & 0x3F);
  }
  return value;
}

char32_t FoldCase(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0x80) return c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;    // Latin-1
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131) {  // Latin Extended-A pairs
    bool odd_lower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (odd_lower) return (c % 2 == 1) ? c + 1 : c;
    return (c % 2 == 0) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

}  // namespace

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void DecodeText(const uint8_t* data, size_t length, std::string* out) {
  out->clear();
  char16_t pending_high = 0;
  if (length >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    bool compressed = true;
    size_t i = 2;
    while (i < length) {
      if (data[i] == 0) {
        compressed = !compressed;
        ++i;
      } else if (compressed) {
        if (pending_high != 0) {  // a high surrogate cut off by a mode switch
          AppendUtf8(0xFFFD, out);
          pending_high = 0;
        }
        unsigned char c = data[i++];
        if (c < 0x80) {
          out->push_back(static_cast<char>(c));
        } else {
          AppendUtf8(c, out);
        }
      } else {
        if (i + 1 >= length) break;
        AppendUnit(static_cast<char16_t>(data[i] | (data[i + 1] << 8)), &pending_high, out);
        i += 2;
      }
    }
  } else {
    out->reserve(length / 2);
    for (size_t i = 0; i + 1 < length; i += 2) {
      char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
      if (unit < 0x80 && pending_high == 0) {
        out->push_back(static_cast<char>(unit));
      } else {
        AppendUnit(unit, &pending_high, out);
      }
    }
  }
  if (pending_high != 0) AppendUtf8(0xFFFD, out);
}

std::string TextFlaw(const uint8_t* data, size_t length) {
  // The units as DecodeText walks them: one byte each in the compressed stretches.
  const bool compressible = length >= 2 && data[0] == 0xFF && data[1] == 0xFE;
  bool compressed = compressible;
  char16_t high = 0;
  auto hex = [](unsigned unit) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "U+";
    for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(unit >> shift) & 15];
    return text;
  };
  for (size_t i = compressible ? 2 : 0; i < length;) {
    if (compressible && data[i] == 0) {
      compressed = !compressed;
      ++i;
      continue;
    }
    char16_t unit = data[i];
    if (!compressed) {
      if (i + 1 >= length) break;
      unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
    i += compressed ? 1 : 2;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (high != 0 && !low) return "half of a surrogate pair (" + hex(high) + ")";
    if (high == 0 && low) return "half of a surrogate pair (" + hex(unit) + ")";
    high = unit >= 0xD800 && unit <= 0xDBFF ? unit : 0;
  }
  if (high != 0) return "half of a surrogate pair (" + hex(high) + ")";
  return "";
}

std::string DecodeText(const uint8_t* data, size_t length) {
  std::string out;
  DecodeText(data, length, &out);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  char16_t pending_high = 0;
  for (char16_t unit : text) AppendUnit(unit, &pending_high, &out);
  if (pending_high != 0) AppendUtf8(0xFFFD, &out);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t c = NextCodePoint(text, &i);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

bool NamesEqual(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (FoldCase(NextCodePoint(a, &i)) != FoldCase(NextCodePoint(b, &j))) return false;
  }
  return i == a.size() && j == b.size();
}

}  // namespace jet
