#include "db/general_sort_key.h"

#include <cstdint>
#include <vector>

namespace db {
namespace {

enum CodeClass : uint8_t { kIgnored, kUnprintable, kSimple, kInternational };

// How one character of U+0000..U+00FF sorts. kSimple: `first` and, when not 0, `second` are its
// bytes in the key. kInternational: `first` is its base letter's byte, `extra` the accent's.
// kUnprintable: `first` is its code in the key's unprintable part.
struct Code {
  CodeClass kind;
  uint8_t first;
  uint8_t second;
  uint8_t extra;
};

constexpr Code kCodes[256] = {
    {kIgnored, 0, 0, 0}, {kUnprintable, 0x3, 0, 0}, {kUnprintable, 0x4, 0, 0}, {kUnprintable, 0x5, 0, 0},  // U+0000
    {kUnprintable, 0x6, 0, 0}, {kUnprintable, 0x7, 0, 0}, {kUnprintable, 0x8, 0, 0}, {kUnprintable, 0x9, 0, 0},  // U+0004
    {kUnprintable, 0xA, 0, 0}, {kSimple, 0x08, 0x03, 0}, {kSimple, 0x08, 0x04, 0}, {kSimple, 0x08, 0x05, 0},  // U+0008
    {kSimple, 0x08, 0x06, 0}, {kSimple, 0x08, 0x07, 0}, {kUnprintable, 0xB, 0, 0}, {kUnprintable, 0xC, 0, 0},  // U+000C
    {kUnprintable, 0xD, 0, 0}, {kUnprintable, 0xE, 0, 0}, {kUnprintable, 0xF, 0, 0}, {kUnprintable, 0x10, 0, 0},  // U+0010
    {kUnprintable, 0x11, 0, 0}, {kUnprintable, 0x12, 0, 0}, {kUnprintable, 0x13, 0, 0}, {kUnprintable, 0x14, 0, 0},  // U+0014
    {kUnprintable, 0x15, 0, 0}, {kUnprintable, 0x16, 0, 0}, {kUnprintable, 0x17, 0, 0}, {kUnprintable, 0x18, 0, 0},  // U+0018
    {kUnprintable, 0x19, 0, 0}, {kUnprintable, 0x1A, 0, 0}, {kUnprintable, 0x1B, 0, 0}, {kUnprintable, 0x1C, 0, 0},  // U+001C
    {kSimple, 0x07, 0x00, 0}, {kSimple, 0x09, 0x00, 0}, {kSimple, 0x0A, 0x00, 0}, {kSimple, 0x0C, 0x00, 0},  // U+0020
    {kSimple, 0x0E, 0x00, 0}, {kSimple, 0x10, 0x00, 0}, {kSimple, 0x12, 0x00, 0}, {kUnprintable, 0x80, 0, 0},  // U+0024
    {kSimple, 0x14, 0x00, 0}, {kSimple, 0x16, 0x00, 0}, {kSimple, 0x18, 0x00, 0}, {kSimple, 0x2C, 0x00, 0},  // U+0028
    {kSimple, 0x1A, 0x00, 0}, {kUnprintable, 0x82, 0, 0}, {kSimple, 0x1C, 0x00, 0}, {kSimple, 0x1E, 0x00, 0},  // U+002C
    {kSimple, 0x36, 0x00, 0}, {kSimple, 0x38, 0x00, 0}, {kSimple, 0x3A, 0x00, 0}, {kSimple, 0x3C, 0x00, 0},  // U+0030
    {kSimple, 0x3E, 0x00, 0}, {kSimple, 0x40, 0x00, 0}, {kSimple, 0x42, 0x00, 0}, {kSimple, 0x44, 0x00, 0},  // U+0034
    {kSimple, 0x46, 0x00, 0}, {kSimple, 0x48, 0x00, 0}, {kSimple, 0x20, 0x00, 0}, {kSimple, 0x22, 0x00, 0},  // U+0038
    {kSimple, 0x2E, 0x00, 0}, {kSimple, 0x30, 0x00, 0}, {kSimple, 0x32, 0x00, 0}, {kSimple, 0x24, 0x00, 0},  // U+003C
    {kSimple, 0x26, 0x00, 0}, {kSimple, 0x4A, 0x00, 0}, {kSimple, 0x4C, 0x00, 0}, {kSimple, 0x4D, 0x00, 0},  // U+0040
    {kSimple, 0x4F, 0x00, 0}, {kSimple, 0x51, 0x00, 0}, {kSimple, 0x53, 0x00, 0}, {kSimple, 0x55, 0x00, 0},  // U+0044
    {kSimple, 0x57, 0x00, 0}, {kSimple, 0x59, 0x00, 0}, {kSimple, 0x5B, 0x00, 0}, {kSimple, 0x5C, 0x00, 0},  // U+0048
    {kSimple, 0x5E, 0x00, 0}, {kSimple, 0x60, 0x00, 0}, {kSimple, 0x62, 0x00, 0}, {kSimple, 0x64, 0x00, 0},  // U+004C
    {kSimple, 0x66, 0x00, 0}, {kSimple, 0x68, 0x00, 0}, {kSimple, 0x69, 0x00, 0}, {kSimple, 0x6B, 0x00, 0},  // U+0050
    {kSimple, 0x6D, 0x00, 0}, {kSimple, 0x6F, 0x00, 0}, {kSimple, 0x71, 0x00, 0}, {kSimple, 0x73, 0x00, 0},  // U+0054
    {kSimple, 0x75, 0x00, 0}, {kSimple, 0x76, 0x00, 0}, {kSimple, 0x78, 0x00, 0}, {kSimple, 0x27, 0x00, 0},  // U+0058
    {kSimple, 0x29, 0x00, 0}, {kSimple, 0x2A, 0x00, 0}, {kSimple, 0x2B, 0x02, 0}, {kSimple, 0x2B, 0x03, 0},  // U+005C
    {kSimple, 0x2B, 0x07, 0}, {kSimple, 0x4A, 0x00, 0}, {kSimple, 0x4C, 0x00, 0}, {kSimple, 0x4D, 0x00, 0},  // U+0060
    {kSimple, 0x4F, 0x00, 0}, {kSimple, 0x51, 0x00, 0}, {kSimple, 0x53, 0x00, 0}, {kSimple, 0x55, 0x00, 0},  // U+0064
    {kSimple, 0x57, 0x00, 0}, {kSimple, 0x59, 0x00, 0}, {kSimple, 0x5B, 0x00, 0}, {kSimple, 0x5C, 0x00, 0},  // U+0068
    {kSimple, 0x5E, 0x00, 0}, {kSimple, 0x60, 0x00, 0}, {kSimple, 0x62, 0x00, 0}, {kSimple, 0x64, 0x00, 0},  // U+006C
    {kSimple, 0x66, 0x00, 0}, {kSimple, 0x68, 0x00, 0}, {kSimple, 0x69, 0x00, 0}, {kSimple, 0x6B, 0x00, 0},  // U+0070
    {kSimple, 0x6D, 0x00, 0}, {kSimple, 0x6F, 0x00, 0}, {kSimple, 0x71, 0x00, 0}, {kSimple, 0x73, 0x00, 0},  // U+0074
    {kSimple, 0x75, 0x00, 0}, {kSimple, 0x76, 0x00, 0}, {kSimple, 0x78, 0x00, 0}, {kSimple, 0x2B, 0x09, 0},  // U+0078
    {kSimple, 0x2B, 0x0B, 0}, {kSimple, 0x2B, 0x0D, 0}, {kSimple, 0x2B, 0x0F, 0}, {kUnprintable, 0x1D, 0, 0},  // U+007C
    {kUnprintable, 0x1E, 0, 0}, {kUnprintable, 0x1F, 0, 0}, {kUnprintable, 0x20, 0, 0}, {kUnprintable, 0x21, 0, 0},  // U+0080
    {kUnprintable, 0x22, 0, 0}, {kUnprintable, 0x23, 0, 0}, {kUnprintable, 0x24, 0, 0}, {kUnprintable, 0x25, 0, 0},  // U+0084
    {kUnprintable, 0x26, 0, 0}, {kUnprintable, 0x27, 0, 0}, {kUnprintable, 0x28, 0, 0}, {kUnprintable, 0x29, 0, 0},  // U+0088
    {kUnprintable, 0x2A, 0, 0}, {kUnprintable, 0x2B, 0, 0}, {kUnprintable, 0x2C, 0, 0}, {kUnprintable, 0x2D, 0, 0},  // U+008C
    {kUnprintable, 0x2E, 0, 0}, {kUnprintable, 0x2F, 0, 0}, {kUnprintable, 0x30, 0, 0}, {kUnprintable, 0x31, 0, 0},  // U+0090
    {kUnprintable, 0x32, 0, 0}, {kUnprintable, 0x33, 0, 0}, {kUnprintable, 0x34, 0, 0}, {kUnprintable, 0x35, 0, 0},  // U+0094
    {kUnprintable, 0x36, 0, 0}, {kUnprintable, 0x37, 0, 0}, {kUnprintable, 0x38, 0, 0}, {kUnprintable, 0x39, 0, 0},  // U+0098
    {kUnprintable, 0x3A, 0, 0}, {kUnprintable, 0x3B, 0, 0}, {kUnprintable, 0x3C, 0, 0}, {kUnprintable, 0x3D, 0, 0},  // U+009C
    {kSimple, 0x08, 0x02, 0}, {kSimple, 0x2B, 0x10, 0}, {kSimple, 0x34, 0xA6, 0}, {kSimple, 0x34, 0xA7, 0},  // U+00A0
    {kSimple, 0x34, 0xA8, 0}, {kSimple, 0x34, 0xA9, 0}, {kSimple, 0x2B, 0x11, 0}, {kSimple, 0x34, 0xAA, 0},  // U+00A4
    {kSimple, 0x2B, 0x12, 0}, {kSimple, 0x34, 0xAB, 0}, {kInternational, 0x4A, 0, 0x3}, {kSimple, 0x33, 0x05, 0},  // U+00A8
    {kSimple, 0x34, 0xAC, 0}, {kUnprintable, 0x83, 0, 0}, {kSimple, 0x34, 0xAD, 0}, {kSimple, 0x2B, 0x13, 0},  // U+00AC
    {kSimple, 0x34, 0xAE, 0}, {kSimple, 0x33, 0x04, 0}, {kSimple, 0x3A, 0x00, 0}, {kSimple, 0x3C, 0x00, 0},  // U+00B0
    {kSimple, 0x2B, 0x14, 0}, {kSimple, 0x34, 0xAF, 0}, {kSimple, 0x34, 0xB0, 0}, {kSimple, 0x34, 0xB1, 0},  // U+00B4
    {kSimple, 0x2B, 0x15, 0}, {kSimple, 0x38, 0x00, 0}, {kInternational, 0x64, 0, 0x3}, {kSimple, 0x33, 0x07, 0},  // U+00B8
    {kSimple, 0x37, 0x12, 0}, {kSimple, 0x37, 0x16, 0}, {kSimple, 0x37, 0x1A, 0}, {kSimple, 0x2B, 0x16, 0},  // U+00BC
    {kInternational, 0x4A, 0, 0xF}, {kInternational, 0x4A, 0, 0xE}, {kInternational, 0x4A, 0, 0x12}, {kInternational, 0x4A, 0, 0x19},  // U+00C0
    {kInternational, 0x4A, 0, 0x13}, {kInternational, 0x4A, 0, 0x1A}, {kSimple, 0x4A, 0x51, 0}, {kInternational, 0x4D, 0, 0x1C},  // U+00C4
    {kInternational, 0x51, 0, 0xF}, {kInternational, 0x51, 0, 0xE}, {kInternational, 0x51, 0, 0x12}, {kInternational, 0x51, 0, 0x13},  // U+00C8
    {kInternational, 0x59, 0, 0xF}, {kInternational, 0x59, 0, 0xE}, {kInternational, 0x59, 0, 0x12}, {kInternational, 0x59, 0, 0x13},  // U+00CC
    {kInternational, 0x4F, 0, 0x68}, {kInternational, 0x62, 0, 0x19}, {kInternational, 0x64, 0, 0xF}, {kInternational, 0x64, 0, 0xE},  // U+00D0
    {kInternational, 0x64, 0, 0x12}, {kInternational, 0x64, 0, 0x19}, {kInternational, 0x64, 0, 0x13}, {kSimple, 0x33, 0x09, 0},  // U+00D4
    {kInternational, 0x64, 0, 0x21}, {kInternational, 0x6F, 0, 0xF}, {kInternational, 0x6F, 0, 0xE}, {kInternational, 0x6F, 0, 0x12},  // U+00D8
    {kInternational, 0x6F, 0, 0x13}, {kInternational, 0x76, 0, 0xE}, {kSimple, 0x6D, 0x57, 0}, {kSimple, 0x6B, 0x6B, 0},  // U+00DC
    {kInternational, 0x4A, 0, 0xF}, {kInternational, 0x4A, 0, 0xE}, {kInternational, 0x4A, 0, 0x12}, {kInternational, 0x4A, 0, 0x19},  // U+00E0
    {kInternational, 0x4A, 0, 0x13}, {kInternational, 0x4A, 0, 0x1A}, {kSimple, 0x4A, 0x51, 0}, {kInternational, 0x4D, 0, 0x1C},  // U+00E4
    {kInternational, 0x51, 0, 0xF}, {kInternational, 0x51, 0, 0xE}, {kInternational, 0x51, 0, 0x12}, {kInternational, 0x51, 0, 0x13},  // U+00E8
    {kInternational, 0x59, 0, 0xF}, {kInternational, 0x59, 0, 0xE}, {kInternational, 0x59, 0, 0x12}, {kInternational, 0x59, 0, 0x13},  // U+00EC
    {kInternational, 0x4F, 0, 0x68}, {kInternational, 0x62, 0, 0x19}, {kInternational, 0x64, 0, 0xF}, {kInternational, 0x64, 0, 0xE},  // U+00F0
    {kInternational, 0x64, 0, 0x12}, {kInternational, 0x64, 0, 0x19}, {kInternational, 0x64, 0, 0x13}, {kSimple, 0x33, 0x0A, 0},  // U+00F4
    {kInternational, 0x64, 0, 0x21}, {kInternational, 0x6F, 0, 0xF}, {kInternational, 0x6F, 0, 0xE}, {kInternational, 0x6F, 0, 0x12},  // U+00F8
    {kInternational, 0x6F, 0, 0x13}, {kInternational, 0x76, 0, 0xE}, {kSimple, 0x6D, 0x57, 0}, {kInternational, 0x76, 0, 0x13},  // U+00FC
};

// Decodes one UTF-8 character at `*pos`; a malformed byte stands for itself.
uint32_t NextCodePoint(std::string_view s, size_t* pos) {
  const auto b0 = static_cast<unsigned char>(s[*pos]);
  int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : 0;
  if (extra == 0 || *pos + static_cast<size_t>(extra) >= s.size()) {
    ++*pos;
    return b0;
  }
  uint32_t cp = b0 & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    const auto b = static_cast<unsigned char>(s[*pos + i]);
    if ((b & 0xC0) != 0x80) {
      ++*pos;
      return b0;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  *pos += static_cast<size_t>(extra) + 1;
  return cp;
}

}  // namespace

std::string GeneralSortKey(std::string_view utf8) {
  std::vector<uint32_t> text;
  for (size_t pos = 0; pos < utf8.size() && text.size() < 255;)
    text.push_back(NextCodePoint(utf8, &pos));
  while (!text.empty() && text.back() == ' ') text.pop_back();

  std::string key;
  std::string extras;           // one byte per inline character, 0x02 for "none"
  bool any_extra = false;
  std::vector<std::pair<size_t, uint8_t>> unprintables;  // (inline characters before, code)
  size_t inline_count = 0;
  for (uint32_t cp : text) {
    if (cp > 0xFF) {
      key += static_cast<char>(0xFF);
      key += static_cast<char>((cp >> 16) & 0xFF);
      key += static_cast<char>((cp >> 8) & 0xFF);
      key += static_cast<char>(cp & 0xFF);
      extras += '\x02';
      ++inline_count;
      continue;
    }
    const Code& code = kCodes[cp];
    switch (code.kind) {
      case kIgnored:
        break;
      case kUnprintable:
        unprintables.emplace_back(inline_count, code.first);
        break;
      case kSimple:
        key += static_cast<char>(code.first);
        if (code.second != 0) key += static_cast<char>(code.second);
        extras += '\x02';
        ++inline_count;
        break;
      case kInternational:
        key += static_cast<char>(code.first);
        extras += static_cast<char>(code.extra);
        any_extra = true;
        ++inline_count;
        break;
    }
  }
  key += '\x01';
  if (any_extra) {
    while (!extras.empty() && static_cast<unsigned char>(extras.back()) <= 0x02) extras.pop_back();
    key += extras;
  }
  if (!unprintables.empty()) {
    key += "\x01\x01\x01";
    for (const auto& [before, code] : unprintables) {
      const unsigned position = 0x8000u | static_cast<unsigned>(7 + 4 * before);
      key += static_cast<char>(position >> 8);
      key += static_cast<char>(position & 0xFF);
      key += '\x06';
      key += static_cast<char>(code);
    }
  }
  key += '\x00';
  return key;
}

}  // namespace db
