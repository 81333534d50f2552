#ifndef MDBTOMYSQL_JET_ROW_H_
#define MDBTOMYSQL_JET_ROW_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "jet/page_cache.h"
#include "jet/table_def.h"
#include "jet/value.h"

namespace jet {

// Decodes the rows of one table. A Jet 4 row is laid out as
//   [column count: 2][fixed area][variable data][EOD: 2][var offsets, last first: 2 each]
//   [var count: 2][null mask: one bit per column number, 1 = not null]
// (the four variable-column parts only when the table has variable columns). Everything is
// located from the end of the row, so padding after the variable data is invisible.
class RowDecoder {
 public:
  RowDecoder(PageCache& cache, const TableDef& def) : cache_(cache), def_(def) {}

  // Decodes the row bytes [row, row + length) found at `page` into one value per column of the
  // definition, in its order. Reuses the strings already in `values`. Throws jet::Error if an
  // offset or length does not fit the row, or a long value is damaged.
  void Decode(const uint8_t* row, size_t length, PageNumber page, std::vector<Value>* values);

  // Restricts decoding to the columns (positions in the definition) whose flag is set; the others
  // read as NULL. Saves reading long values nobody asked for.
  void SelectColumns(std::vector<bool> wanted) { wanted_ = std::move(wanted); }

 private:
  PageCache& cache_;
  const TableDef& def_;
  std::vector<bool> wanted_;  // empty: all
};

// Size in a row's fixed area of a value of type `type` (a ColumnType); 0 for the types whose
// size the column descriptor gives (fixed Text, Binary).
size_t FixedSize(uint8_t type);

// Decimal (17 bytes: sign byte 0x80 = negative, then a 128-bit magnitude as four 32-bit LE words,
// most significant first) to exact text with `scale` decimals.
std::string DecimalToText(const uint8_t* bytes, int scale);

// Replication ID bytes (Windows GUID layout) to "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string GuidToText(const uint8_t* bytes);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ROW_H_
