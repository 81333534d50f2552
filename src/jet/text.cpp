#include "jet/text.h"

#include <algorithm>

#include "base/utf16.h"

namespace jet {
namespace {

// Decodes UTF-16LE units from bytes; `pending_high` carries a high surrogate across calls.
void AppendUnit(char16_t unit, char16_t* pending_high, std::string* out) {
  if (*pending_high != 0) {
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      char32_t c = 0x10000 + ((static_cast<char32_t>(*pending_high) - 0xD800) << 10) +
                   (static_cast<char32_t>(unit) - 0xDC00);
      *pending_high = 0;
      base::AppendUtf8(c, out);
      return;
    }
    *pending_high = 0;
    base::AppendUtf8(base::kReplacementCharacter, out);
  }
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    *pending_high = unit;
  } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
    base::AppendUtf8(base::kReplacementCharacter, out);
  } else {
    base::AppendUtf8(unit, out);
  }
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
          base::AppendUtf8(base::kReplacementCharacter, out);
          pending_high = 0;
        }
        unsigned char c = data[i++];
        if (c < 0x80) {
          out->push_back(static_cast<char>(c));
        } else {
          base::AppendUtf8(c, out);
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
  if (pending_high != 0) base::AppendUtf8(base::kReplacementCharacter, out);
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

std::string EncodeText(std::string_view utf8, bool compress) {
  const std::u16string units = base::Utf8ToUtf16(utf8);
  std::string out;
  if (compress && units.size() >= 3 &&
      std::all_of(units.begin(), units.end(), [](char16_t u) { return u >= 1 && u <= 0xFF; })) {
    out = "\xFF\xFE";
    for (char16_t u : units) out.push_back(static_cast<char>(u));
    return out;
  }
  out.reserve(units.size() * 2);
  for (char16_t u : units) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  return out;
}

bool NamesEqual(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (FoldCase(base::NextCodePoint(a, &i)) != FoldCase(base::NextCodePoint(b, &j))) return false;
  }
  return i == a.size() && j == b.size();
}

}  // namespace jet
