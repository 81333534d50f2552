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

RowLayout::RowLayout(const uint8_t* row, size_t length, PageNumber page, const TableDef& def,
                     const PageCache& cache)
    : row_(row), length_(length), page_(page), cache_(cache) {
  if (length < 2) throw Damaged("row of " + std::to_string(length) + " bytes is too short");
  column_count_ = LoadU16(row);
  const size_t mask_length = (column_count_ + 7) / 8;
  if (2 + mask_length > length) {
    throw Damaged("row claims " + std::to_string(column_count_) + " columns but is only " +
                  std::to_string(length) + " bytes long");
  }
  mask_ = row + length - mask_length;
  fixed_end_ = length - mask_length;
  if (def.variable_columns > 0) {
    if (fixed_end_ < 2 + 2) throw Damaged("row too short for its variable-column table");
    var_count_ = LoadU16(row + fixed_end_ - 2);
    if (4 + 2 * var_count_ + 2 > fixed_end_) {
      throw Damaged("row's " + std::to_string(var_count_) +
                    " variable-column offsets do not fit its " + std::to_string(length) + " bytes");
    }
    offsets_at_ = fixed_end_ - 4;
    fixed_end_ = fixed_end_ - 4 - 2 * var_count_;  // the EOD entry: all data lies before it
  }
}

Error RowLayout::Damaged(const std::string& what) const {
  return Error(cache_.Where(page_) + what);
}

bool RowLayout::Present(const Column& c) const {
  return c.number < column_count_ && ((mask_[c.number / 8] >> (c.number % 8)) & 1);
}

size_t RowLayout::VariableOffset(size_t i) const { return LoadU16(row_ + offsets_at_ - 2 * i); }

bool RowLayout::Locate(const Column& c, const uint8_t** data, size_t* size) const {
  if (c.type == kTypeBoolean || !Present(c)) return false;
  if (c.fixed()) {
    *size = FixedSize(c.type);
    if (*size == 0) *size = c.length;
    if (2 + static_cast<size_t>(c.fixed_offset) + *size > fixed_end_) {
      throw Damaged("column " + c.name + " at fixed offset " + std::to_string(c.fixed_offset) +
                    " overruns the row");
    }
    *data = row_ + 2 + c.fixed_offset;
    return true;
  }
  if (c.var_index >= var_count_) return false;
  const size_t start = VariableOffset(c.var_index);
  const size_t end = VariableOffset(c.var_index + 1u);
  if (start > end || end > fixed_end_ || start < 2) {
    throw Damaged("column " + c.name + " spans bytes " + std::to_string(start) + ".." +
                  std::to_string(end) + " of a " + std::to_string(length_) + "-byte row");
  }
  *data = row_ + start;
  *size = end - start;
  const size_t need = FixedSize(c.type);
  if (need != 0 && *size < need) {
    throw Damaged("column " + c.name + " holds " + std::to_string(*size) + " bytes, needs " +
                  std::to_string(need));
  }
  return true;
}

void RowDecoder::Decode(const uint8_t* row, size_t length, PageNumber page,
                        std::vector<Value>* values) {
  auto damaged = [&](const std::string& what) { return Error(cache_.Where(page) + what); };
  const RowLayout layout(row, length, page, def_, cache_);
  values->resize(def_.columns.size());
  for (size_t i = 0; i < def_.columns.size(); ++i) {
    const Column& c = def_.columns[i];
    Value* v = &(*values)[i];
    if (!wanted_.empty() && (i >= wanted_.size() || !wanted_[i])) {
      *v = std::monostate{};
      continue;
    }
    if (c.type == kTypeBoolean) {
      *v = layout.Present(c);
      continue;
    }
    const uint8_t* data;
    size_t size;
    if (!layout.Locate(c, &data, &size)) {
      *v = std::monostate{};
      continue;
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
