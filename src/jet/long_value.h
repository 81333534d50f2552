#ifndef MDBTOMYSQL_JET_LONG_VALUE_H_
#define MDBTOMYSQL_JET_LONG_VALUE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "jet/page_cache.h"
#include "jet/table_def.h"

namespace jet {

// Memo and OLE values (jet4-notes §4.7). A row holds a definition of at least 12 bytes: a 3-byte
// length, a kind byte, the row pointer of the first long-value row, 4 zero bytes, then inline
// data. The data is inline (kind 0x80), one long-value row (0x40) or a chain of rows, each
// starting with the pointer to the next (0x00).
constexpr size_t kLongValueDefinitionSize = 12;
// What this engine writes, as Jackcess does: inline up to 64 bytes, else one row of up to 4076
// bytes (the largest that leaves room on an empty page); no chains.
constexpr size_t kMaxInlineLongValue = 64;
constexpr size_t kMaxSingleRowLongValue = 4076;
// Memo text longer than this is stored uncompressed, as Access and Jackcess store it.
constexpr size_t kMaxCompressedMemo = 1024;

// Reads the data of a Memo or OLE value from its definition in a row. Throws jet::Error if the
// definition or the chain is damaged; the length is checked against the file size before
// anything is allocated.
void ReadLongValue(PageCache& cache, const uint8_t* definition, size_t length, std::string* out);

// Stores `data` (already encoded: Memo text through EncodeText) as a long value of `column`
// and returns the definition that goes into the row: inline when at most kMaxInlineLongValue
// bytes, else one long-value row on a page of the column's long-value maps (a new page when none
// has room). Only modifies pages. Throws jet::Error for data above kMaxSingleRowLongValue.
std::string StoreLongValue(PageCache& cache, const TableDef& def, const Column& column,
                           std::string_view data);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_LONG_VALUE_H_
