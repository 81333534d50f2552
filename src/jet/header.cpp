#include "jet/header.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/utf16.h"
#include "jet/byte_order.h"
#include "jet/error.h"
#include "jet/text.h"

namespace jet {
namespace {

constexpr size_t kMaskStart = 0x18;
constexpr size_t kMaskLength = 128;
constexpr size_t kPasswordOffset = 0x42;
constexpr size_t kPasswordLength = 40;  // 20 UTF-16 units

struct MaskTable {
  uint8_t bytes[kMaskLength];
  MaskTable() {
    const uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    uint8_t s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
      j = (j + s[i] + key[i % 4]) & 0xFF;
      std::swap(s[i], s[j]);
    }
    for (size_t n = 0, i = 0, j = 0; n < kMaskLength; ++n) {
      i = (i + 1) & 0xFF;
      j = (j + s[i]) & 0xFF;
      std::swap(s[i], s[j]);
      bytes[n] = s[(s[i] + s[j]) & 0xFF];
    }
  }
};

}  // namespace

const uint8_t* HeaderMask() {
  static const MaskTable table;
  return table.bytes;
}

Header ReadHeader(PageCache& cache) {
  const std::string& name = cache.file_name();
  uint64_t size = cache.file_size();
  if (size == 0) throw Error(name + ": not a Jet 4 database (the file is empty)");
  if (size < kPageSize) {
    throw Error(name + ": not a Jet 4 database (the file is only " + std::to_string(size) +
                " bytes long)");
  }
  PageRef page = cache.Read(0);
  const uint8_t* p = page->data();
  static const char kJet[] = "Standard Jet DB";
  static const char kAce[] = "Standard ACE DB";
  if (p[0] != 0 || p[1] != 1) {
    throw Error(name + ": not a Jet 4 database (no database header)");
  }
  char version_hex[8];
  std::snprintf(version_hex, sizeof version_hex, "0x%02X", p[0x14]);
  if (std::memcmp(p + 4, kAce, 15) == 0) {
    throw Error(name + ": not a Jet 4 database (version byte " + version_hex +
                ": an Access 2007 or later .accdb database)");
  }
  if (std::memcmp(p + 4, kJet, 15) != 0) {
    throw Error(name + ": not a Jet 4 database (unknown engine name in the header)");
  }
  Header header;
  header.version = LoadU32(p + 0x14);
  if (header.version != 1) {
    std::string what =
        header.version == 0 ? "a Jet 3 (Access 97) database" : "an Access 2007 or later database";
    throw Error(name + ": not a Jet 4 database (version byte " + version_hex + ": " + what + ")");
  }
  if (size % kPageSize != 0) {
    throw Error(name + ": damaged or truncated (its size, " + std::to_string(size) +
                " bytes, is not a whole number of 4096-byte pages)");
  }
  uint8_t plain[kPageSize];
  std::memcpy(plain, p, kPageSize);
  const uint8_t* mask = HeaderMask();
  for (size_t i = 0; i < kMaskLength; ++i) plain[kMaskStart + i] ^= mask[i];

  header.code_page = LoadU16(plain + 0x3C);
  header.encryption_key = LoadU32(plain + 0x3E);
  header.sort_order = LoadU16(plain + 0x6E);
  header.sort_order_version = plain[0x71];
  header.creation_date = LoadDouble(plain + 0x72);
  if (header.encryption_key != 0) {
    throw Error(name +
                ": the database is encrypted (Encrypt Database); decrypt it in Access first");
  }
  // Jet 4 masks the password once more with the whole days of the creation date.
  uint8_t date_mask[4] = {0, 0, 0, 0};
  double days = header.creation_date;
  if (std::isfinite(days) && days > -2147483648.0 && days < 2147483648.0) {
    uint32_t whole = static_cast<uint32_t>(static_cast<int32_t>(days));
    for (int i = 0; i < 4; ++i) date_mask[i] = static_cast<uint8_t>(whole >> (8 * i));
  }
  for (size_t i = 0; i + 1 < kPasswordLength; i += 2) {
    uint8_t lo = plain[kPasswordOffset + i] ^ date_mask[i % 4];
    uint8_t hi = plain[kPasswordOffset + i + 1] ^ date_mask[(i + 1) % 4];
    char16_t unit = static_cast<char16_t>(lo | (hi << 8));
    if (unit == 0) break;
    header.password.push_back(unit);
  }
  return header;
}

void CheckPassword(const Header& header, const std::string& password,
                   const std::string& file_name) {
  if (header.password.empty()) return;
  if (base::Utf16ToUtf8(header.password) != password) {
    throw Error(file_name + ": wrong database password");
  }
}

}  // namespace jet
