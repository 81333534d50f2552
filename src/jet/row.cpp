#include "jet/row.h"

#include <cstdio>

#include "jet/byte_order.h"
#include "jet/error.h"
#include "jet/long_value.h"
#include "jet/text.h"

namespace jet {
namespace {

__extension__ typedef unsigned __int128 Uint128;

}  // namespace

size_t FixedSize(uint8_t type) {
  switch (type) {
    case kTypeByte:
      return 1;
    case kTypeInteger:
      return 2;
    case kTypeLong:
    case kTypeSingle:
      return 4;
    case kTypeCurrency:
    case kTypeDouble:
    case kTypeDateTime:
      return 8;
    case kTypeGuid:
      return 16;
    case kTypeDecimal:
      return 17;
    default:
      return 0;
  }
}

namespace {

std::string& TextSlot(Value* v) {
  if (!std::holds_alternative<std::string>(*v)) v->emplace<std::string>();
  return std::get<std::string>(*v);
}

std::string& BinarySlot(Value* v) {
  if (!std::holds_alternative<Binary>(*v)) v->emplace<Binary>();
  return std::get<Binary>(*v).bytes;
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

void RowDecoder::Decode(const uint8_t* row, size_t length, PageNumber page,
                        std::vector<Value>* values) {
  auto damaged = [&](const std::string& what) { return Error(cache_.Where(page) + what); };
  if (length < 2) throw damaged("row of " + std::to_string(length) + " bytes is too short");
  size_t column_count = LoadU16(row);
  size_t mask_length = (column_count + 7) / 8;
  if (2 + mask_length > length) {
    throw damaged("row claims " + std::to_string(column_count) + " columns but is only " +
                  std::to_string(length) + " bytes long");
  }
  const uint8_t* mask = row + length - mask_length;
  size_t fixed_end = length - mask_length;  // fixed data must end before this
  size_t var_count = 0;
  size_t offsets_at = 0;  // position of variable offset entry 0
  if (def_.variable_columns > 0) {
    if (fixed_end < 2 + 2) throw damaged("row too short for its variable-column table");
    var_count = LoadU16(row + fixed_end - 2);
    if (4 + 2 * var_count + 2 > fixed_end) {
      throw damaged("row's " + std::to_string(var_count) +
                    " variable-column offsets do not fit its " + std::to_string(length) + " bytes");
    }
    offsets_at = fixed_end - 4;
    fixed_end = fixed_end - 4 - 2 * var_count;  // the EOD entry: all data lies before it
  }

  values->resize(def_.columns.size());
  for (size_t i = 0; i < def_.columns.size(); ++i) {
    const Column& c = def_.columns[i];
    Value* v = &(*values)[i];
    if (!wanted_.empty() && (i >= wanted_.size() || !wanted_[i])) {
      *v = std::monostate{};
      continue;
    }
    bool present = c.number < column_count && ((mask[c.number / 8] >> (c.number % 8)) & 1);
    if (c.type == kTypeBoolean) {
      *v = present;
      continue;
    }
    if (!present) {
      *v = std::monostate{};
      continue;
    }
    const uint8_t* data;
    size_t size;
    if (c.fixed()) {
      size = FixedSize(c.type);
      if (size == 0) size = c.length;
      if (2 + static_cast<size_t>(c.fixed_offset) + size > fixed_end) {
        throw damaged("column " + c.name + " at fixed offset " + std::to_string(c.fixed_offset) +
                      " overruns the row");
      }
      data = row + 2 + c.fixed_offset;
    } else {
      if (c.var_index >= var_count) {
        *v = std::monostate{};
        continue;
      }
      size_t start = LoadU16(row + offsets_at - 2 * c.var_index);
      size_t end = LoadU16(row + offsets_at - 2 * (c.var_index + 1));
      if (start > end || end > fixed_end || start < 2) {
        throw damaged("column " + c.name + " spans bytes " + std::to_string(start) + ".." +
                      std::to_string(end) + " of a " + std::to_string(length) + "-byte row");
      }
      data = row + start;
      size = end - start;
      size_t need = FixedSize(c.type);
      if (need != 0 && size < need) {
        throw damaged("column " + c.name + " holds " + std::to_string(size) + " bytes, needs " +
                      std::to_string(need));
      }
    }
    switch (c.type) {
      case kTypeByte:
        *v = static_cast<int64_t>(data[0]);
        break;
      case kTypeInteger:
        *v = static_cast<int64_t>(static_cast<int16_t>(LoadU16(data)));
        break;
      case kTypeLong:
        *v = static_cast<int64_t>(static_cast<int32_t>(LoadU32(data)));
        break;
      case kTypeCurrency:
        *v = Currency{static_cast<int64_t>(LoadU64(data))};
        break;
      case kTypeSingle:
        *v = LoadFloat(data);
        break;
      case kTypeDouble:
        *v = LoadDouble(data);
        break;
      case kTypeDateTime:
        *v = Date{LoadDouble(data)};
        break;
      case kTypeGuid:
        *v = Guid{GuidToText(data)};
        break;
      case kTypeDecimal:
        if (c.scale > 38)
          throw damaged("column " + c.name + " has decimal scale " + std::to_string(c.scale));
        *v = Decimal{DecimalToText(data, c.scale)};
        break;
      case kTypeText:
        DecodeText(data, size, &TextSlot(v));
        break;
      case kTypeMemo: {
        std::string raw;
        ReadLongValue(cache_, data, size, &raw);
        DecodeText(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(), &TextSlot(v));
        break;
      }
      case kTypeOle:
        ReadLongValue(cache_, data, size, &BinarySlot(v));
        break;
      default:
        BinarySlot(v).assign(reinterpret_cast<const char*>(data), size);
        break;
    }
  }
}

}  // namespace jet
