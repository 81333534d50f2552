#include "jet/stored_value.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/utf16.h"
#include "jet/byte_order.h"
#include "jet/error.h"
#include "jet/text.h"

namespace jet {
namespace {

__extension__ typedef unsigned __int128 Uint128;

constexpr int kMaxDecimalScale = 38;

[[noreturn]] void Mismatch(const Column& column, const char* what) {
  throw Error("column " + column.name + ": " + what + " does not suit a " + TypeName(column.type) +
              " column");
}

int64_t IntegerIn(const Column& column, const Value& value, int64_t low, int64_t high) {
  const int64_t* i = std::get_if<int64_t>(&value);
  if (i == nullptr) Mismatch(column, "the value");
  if (*i < low || *i > high) {
    throw Error("column " + column.name + ": " + std::to_string(*i) + " is out of range for a " +
                TypeName(column.type) + " column");
  }
  return *i;
}

double Real(const Column& column, const Value& value) {
  if (const double* d = std::get_if<double>(&value)) return *d;
  if (const float* f = std::get_if<float>(&value)) return *f;
  if (const int64_t* i = std::get_if<int64_t>(&value)) return static_cast<double>(*i);
  if (const Date* t = std::get_if<Date>(&value)) return t->days;
  Mismatch(column, "the value");
}

std::string StoreText(const Column& column, const Value& value) {
  const std::string* text = std::get_if<std::string>(&value);
  if (text == nullptr) Mismatch(column, "the value");
  const size_t characters = base::Utf8ToUtf16(*text).size();
  if (characters > static_cast<size_t>(column.max_characters())) {
    throw Error("column " + column.name + ": " + std::to_string(characters) +
                " characters do not fit its " + std::to_string(column.max_characters()));
  }
  if (column.fixed()) {  // stored in full, padded with spaces
    std::string padded = *text;
    padded.append(column.max_characters() - characters, ' ');
    return EncodeText(padded, false);
  }
  return EncodeText(*text, column.compressed_unicode());
}

std::string StoreBinary(const Column& column, const Value& value) {
  const Binary* b = std::get_if<Binary>(&value);
  if (b == nullptr) Mismatch(column, "the value");
  if (b->bytes.size() > column.length || (column.fixed() && b->bytes.size() != column.length)) {
    throw Error("column " + column.name + ": " + std::to_string(b->bytes.size()) +
                " bytes do not fit its " + std::to_string(column.length));
  }
  return b->bytes;
}

}  // namespace

std::string DecimalToText(const uint8_t* bytes, int scale) {
  Uint128 magnitude = 0;
  for (int word = 0; word < 4; ++word)
    magnitude = (magnitude << 32) | LoadU32(bytes + 1 + 4 * word);
  char digits[48];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + static_cast<int>(magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  while (n <= scale) digits[n++] = '0';
  std::string text;
  bool zero = n == scale + 1 && std::string(digits, n).find_first_not_of('0') == std::string::npos;
  if ((bytes[0] & 0x80) && !zero) text.push_back('-');
  for (int i = n - 1; i >= 0; --i) {
    text.push_back(digits[i]);
    if (i == scale && scale > 0) text.push_back('.');
  }
  return text;
}

std::string GuidToText(const uint8_t* b) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                LoadU32(b), LoadU16(b + 4), LoadU16(b + 6), b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return buffer;
}

void DecodeOtherValue(const Column& column, const uint8_t* data, size_t size,
                      const PageCache& cache, PageNumber page, Value* out) {
  const size_t need = FixedSize(column.type);
  if (need != 0 && size < need) {
    throw Error(cache.Where(page) + "column " + column.name + " holds " + std::to_string(size) +
                " bytes, needs " + std::to_string(need));
  }
  switch (column.type) {
    case kTypeSingle:
      *out = LoadFloat(data);
      break;
    case kTypeGuid:
      *out = Guid{GuidToText(data)};
      break;
    case kTypeDecimal:
      if (column.scale > kMaxDecimalScale) {
        throw Error(cache.Where(page) + "column " + column.name + " has decimal scale " +
                    std::to_string(column.scale));
      }
      *out = Decimal{DecimalToText(data, column.scale)};
      break;
    default:
      if (!std::holds_alternative<Binary>(*out)) out->emplace<Binary>();
      std::get<Binary>(*out).bytes.assign(reinterpret_cast<const char*>(data), size);
      break;
  }
}

std::string StoreValue(const Column& column, const Value& value) {
  std::string out;
  switch (column.type) {
    case kTypeByte:
      AppendLittleEndian(&out, static_cast<uint64_t>(IntegerIn(column, value, 0, 255)), 1);
      break;
    case kTypeInteger:
      AppendLittleEndian(&out, static_cast<uint64_t>(IntegerIn(column, value, -32768, 32767)), 2);
      break;
    case kTypeLong:
      AppendLittleEndian(&out,
                         static_cast<uint64_t>(IntegerIn(column, value, INT32_MIN, INT32_MAX)), 4);
      break;
    case kTypeCurrency: {
      const Currency* c = std::get_if<Currency>(&value);
      if (c == nullptr) Mismatch(column, "the value");
      AppendLittleEndian(&out, static_cast<uint64_t>(c->ten_thousandths), 8);
      break;
    }
    case kTypeSingle: {
      const float f = static_cast<float>(Real(column, value));
      uint32_t bits;
      std::memcpy(&bits, &f, sizeof bits);
      AppendLittleEndian(&out, bits, 4);
      break;
    }
    case kTypeDouble:
    case kTypeDateTime: {
      const double d = Real(column, value);
      if (!std::isfinite(d)) Mismatch(column, "a value that is not a number");
      uint64_t bits;
      std::memcpy(&bits, &d, sizeof bits);
      AppendLittleEndian(&out, bits, 8);
      break;
    }
    case kTypeText:
      return StoreText(column, value);
    case kTypeBinary:
      return StoreBinary(column, value);
    default:
      Mismatch(column, "a stored value");
  }
  return out;
}

}  // namespace jet
