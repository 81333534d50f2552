// The property blobs of the catalogue (MSysObjects.LvProp). They hold what the definitions do
// not: Required (NOT NULL), AllowZeroLength, the column widths Access shows. Other readers parse
// them when they open a file (mdbtools loops forever on some damaged ones), so a blob must be
// the sequence of chunks it claims to be, to its last byte.
#include "jet/byte_order.h"
#include "jet/check_parts.h"

namespace jet {
namespace {

constexpr uint16_t kNameList = 0x0080;
constexpr uint16_t kObjectProperties = 0x0000;
constexpr uint16_t kColumnProperties = 0x0001;
constexpr size_t kChunkHeader = 6;  // 4-byte length (counting itself), 2-byte type
constexpr size_t kValueHeader = 8;  // 2-byte length, DDL flag, type, 2-byte name index, 2-byte size

std::string At(size_t offset) { return " at byte " + std::to_string(offset); }

// The values of a property chunk [at, end): a block naming the column, then values.
std::string ValuesFlaw(const uint8_t* p, size_t at, size_t end, size_t names) {
  if (end - at < 6) return "a property chunk too short for its column's name" + At(at);
  const size_t block = LoadU32(p + at);
  const size_t name = LoadU16(p + at + 4);
  if (block != 6 + name || block > end - at)
    return "a property chunk's column name does not fit" + At(at);
  for (at += block; at < end;) {
    if (end - at < kValueHeader) return "a property value cut short" + At(at);
    const size_t length = LoadU16(p + at);
    if (length < kValueHeader || length > end - at || kValueHeader + LoadU16(p + at + 6) != length)
      return "a property value whose lengths do not fit" + At(at);
    if (LoadU16(p + at + 4) >= names) return "a property value naming no property" + At(at);
    at += length;
  }
  return "";
}

}  // namespace

std::string PropertyBlobFlaw(const uint8_t* p, size_t size) {
  if (size < 4 || LoadU32(p) != 0x0032524D) return "a property blob without its mark MR2";
  size_t names = 0;
  for (size_t at = 4; at < size;) {
    if (size - at < kChunkHeader) return "a property chunk cut short" + At(at);
    const size_t length = LoadU32(p + at);
    const uint16_t type = LoadU16(p + at + 4);
    if (length < kChunkHeader || length > size - at)
      return "a property chunk whose length does not fit" + At(at);
    const size_t end = at + length;
    if (type == kNameList) {
      for (size_t name = at + kChunkHeader; name < end; ++names) {
        if (end - name < 2 || LoadU16(p + name) > end - name - 2)
          return "a property name that does not fit" + At(name);
        name += 2 + LoadU16(p + name);
      }
    } else if (type == kObjectProperties || type == kColumnProperties) {
      const std::string flaw = ValuesFlaw(p, at + kChunkHeader, end, names);
      if (!flaw.empty()) return flaw;
    } else {
      return "a property chunk of the unknown type " + std::to_string(type) + At(at);
    }
    at = end;
  }
  return "";
}

}  // namespace jet
