#ifndef MDBTOMYSQL_JET_STORED_VALUE_H_
#define MDBTOMYSQL_JET_STORED_VALUE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "jet/page_cache.h"
#include "jet/table_def.h"
#include "jet/value.h"

namespace jet {

// One column's value as a row stores it (jet4-notes §4.2, §4.8-4.10), both ways. Yes/No values
// live in the row's null mask and Memo/OLE values in long-value rows (long_value.h); the rest
// are the bytes below.

// Size in a row's fixed area of a value of type `type` (a ColumnType); 0 for the types whose
// size the column descriptor gives (fixed Text, Binary).
size_t FixedSize(uint8_t type);
// Size of fixed column `column` in the row's fixed area: FixedSize, or the descriptor's length.
size_t StoredSize(const Column& column);

// Decimal (17 bytes: sign byte 0x80 = negative, then a 128-bit magnitude as four 32-bit LE words,
// most significant first) to exact text with `scale` decimals.
std::string DecimalToText(const uint8_t* bytes, int scale);

// Replication ID bytes (Windows GUID layout) to "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string GuidToText(const uint8_t* bytes);

// Decodes the `size` stored bytes of a value of `column` (any type but Yes/No, Memo and OLE)
// into `out`, reusing the string it may hold. Throws jet::Error, naming `page` of `cache`, when
// the bytes are fewer than the type needs or a Decimal's scale is beyond 38.
void DecodeValue(const Column& column, const uint8_t* data, size_t size, const PageCache& cache,
                 PageNumber page, Value* out);

// The stored bytes of `value` in `column`, for every type but Memo and OLE (see
// StoreLongValue) and Yes/No (see StoredColumns). Text is stored compressed when the column
// allows it and it saves space. Throws jet::Error when the value's type does not suit the
// column or a text is longer than the column.
std::string StoreValue(const Column& column, const Value& value);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_STORED_VALUE_H_
