#ifndef MDBTOMYSQL_JET_ROW_H_
#define MDBTOMYSQL_JET_ROW_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "jet/error.h"
#include "jet/page_cache.h"
#include "jet/table_def.h"
#include "jet/value.h"

namespace jet {

// Where the columns of one stored row are. A Jet 4 row is laid out as
//   [column count: 2][fixed area][variable data][EOD: 2][var offsets, last first: 2 each]
//   [var count: 2][null mask: one bit per column number, 1 = not null]
// (the four variable-column parts only when the table has variable columns). Everything is
// located from the end of the row, so padding after the variable data is invisible.
class RowLayout {
 public:
  // Reads the row's counts and tables. Throws jet::Error (naming `page`) when they do not fit
  // its `length` bytes.
  RowLayout(const uint8_t* row, size_t length, PageNumber page, const TableDef& def,
            const PageCache& cache);

  // The stored bytes of column `c`, or false when the row holds none (null, or a column added
  // after the row was written). Yes/No columns hold no bytes: their value is Present(). Throws
  // jet::Error when the column's bytes do not fit the row.
  bool Locate(const Column& c, const uint8_t** data, size_t* size) const;
  // The row's null-mask bit of `c` (1 = not null; for Yes/No the value).
  bool Present(const Column& c) const;

  size_t column_count() const { return column_count_; }  // as the row was written
  size_t variable_count() const { return var_count_; }
  // The variable-column offset table: entry i for i <= variable_count() (the last is the end of
  // the variable data), and where the table starts: all data lies before it.
  size_t VariableOffset(size_t i) const;
  size_t data_end() const { return fixed_end_; }

 private:
  Error Damaged(const std::string& what) const;

  const uint8_t* row_;
  size_t length_;
  PageNumber page_;
  const PageCache& cache_;
  size_t column_count_ = 0;
  const uint8_t* mask_ = nullptr;
  size_t fixed_end_ = 0;  // fixed data ends before this
  size_t var_count_ = 0;
  size_t offsets_at_ = 0;  // position of variable offset entry 0
};

// Decodes the rows of one table, laid out as RowLayout describes.
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
