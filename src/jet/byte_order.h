#ifndef MDBTOMYSQL_JET_BYTE_ORDER_H_
#define MDBTOMYSQL_JET_BYTE_ORDER_H_

#include <cstdint>
#include <cstring>
#include <string>

namespace jet {

// Little-endian loads. Jet stores every number little-endian except index keys. The caller has
// already checked that the bytes lie inside the buffer.
inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t LoadU24(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16);
}
inline uint32_t LoadU32(const uint8_t* p) {
  return LoadU24(p) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t LoadU64(const uint8_t* p) {
  return static_cast<uint64_t>(LoadU32(p)) | (static_cast<uint64_t>(LoadU32(p + 4)) << 32);
}
inline double LoadDouble(const uint8_t* p) {
  uint64_t bits = LoadU64(p);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
inline float LoadFloat(const uint8_t* p) {
  uint32_t bits = LoadU32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// Little-endian stores, the counterparts of the loads.
inline void StoreU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Appends the low `bytes` bytes of `v`, little-endian: how values and definitions are built.
inline void AppendLittleEndian(std::string* out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace jet

#endif  // MDBTOMYSQL_JET_BYTE_ORDER_H_
