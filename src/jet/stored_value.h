#ifndef MDBTOMYSQL_JET_STORED_VALUE_H_
#define MDBTOMYSQL_JET_STORED_VALUE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "jet/byte_order.h"
#include "jet/page_cache.h"
#include "jet/table_def.h"
#include "jet/text.h"
#include "jet/value.h"

namespace jet {

// One column's value as a row stores it (jet4-notes §4.2, §4.8-4.10), both ways. Yes/No values
// live in the row's null mask and Memo/OLE values in long-value rows (long_value.h); the rest
// are the bytes below.

// Size in a row's fixed area of a value of type `type` (a ColumnType); 0 for the types whose
// size the column descriptor gives (fixed Text, Binary). Inline: every column of every row asks.
inline size_t FixedSize(uint8_t type) {
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

// Size of fixed column `column` in the row's fixed area: FixedSize, or the descriptor's length.
inline size_t StoredSize(const Column& column) {
  const size_t size = FixedSize(column.type);
  return size != 0 ? size : column.length;
}

// Decimal (17 bytes: sign byte 0x80 = negative, then a 128-bit magnitude as four 32-bit LE words,
// most significant first) to exact text with `scale` decimals.
std::string DecimalToText(const uint8_t* bytes, int scale);

// Replication ID bytes (Windows GUID layout) to "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string GuidToText(const uint8_t* bytes);

// DecodeValue's part for the rarer types, and for bytes too few for their type.
void DecodeOtherValue(const Column& column, const uint8_t* data, size_t size,
                      const PageCache& cache, PageNumber page, Value* out);

// Decodes the `size` stored bytes of a value of `column` (any type but Yes/No, Memo and OLE)
// into `out`, reusing the string it may hold. Throws jet::Error, naming `page` of `cache`, when
// the bytes are fewer than the type needs or a Decimal's scale is beyond 38. Inlined into the
// row decoder whatever the compiler would choose: a table scan decodes every value of every
// row, and as a call reading took about a tenth longer.
[[gnu::always_inline]] inline void DecodeValue(const Column& column, const uint8_t* data,
                                               size_t size, const PageCache& cache, PageNumber page,
                                               Value* out) {
  switch (column.type) {
    case kTypeByte:
      if (size < 1) break;
      *out = static_cast<int64_t>(data[0]);
      return;
    case kTypeInteger:
      if (size < 2) break;
      *out = static_cast<int64_t>(static_cast<int16_t>(LoadU16(data)));
      return;
    case kTypeLong:
      if (size < 4) break;
      *out = static_cast<int64_t>(static_cast<int32_t>(LoadU32(data)));
      return;
    case kTypeCurrency:
      if (size < 8) break;
      *out = Currency{static_cast<int64_t>(LoadU64(data))};
      return;
    case kTypeDouble:
      if (size < 8) break;
      *out = LoadDouble(data);
      return;
    case kTypeDateTime:
      if (size < 8) break;
      *out = Date{LoadDouble(data)};
      return;
    case kTypeText:
      if (!std::holds_alternative<std::string>(*out)) out->emplace<std::string>();
      DecodeText(data, size, &std::get<std::string>(*out));
      return;
    default:
      break;
  }
  DecodeOtherValue(column, data, size, cache, page, out);  // too few bytes: damage
}

// The stored bytes of `value` in `column`, for every type but Memo and OLE (see
// StoreLongValue) and Yes/No (see StoredColumns). Text is stored compressed when the column
// allows it and it saves space. Throws jet::Error when the value's type does not suit the
// column or a text is longer than the column.
std::string StoreValue(const Column& column, const Value& value);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_STORED_VALUE_H_
