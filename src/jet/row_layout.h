#ifndef MDBTOMYSQL_JET_ROW_LAYOUT_H_
#define MDBTOMYSQL_JET_ROW_LAYOUT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/byte_order.h"
#include "jet/page_cache.h"
#include "jet/stored_value.h"
#include "jet/table_def.h"

namespace jet {

// The layout of a stored Jet 4 row (jet4-notes §4.2):
//   [column count: 2][fixed area][variable data][EOD: 2][var offsets, last first: 2 each]
//   [var count: 2][null mask: one bit per column number, 1 = not null]
// (the four variable-column parts only when the table has variable columns). Everything is
// located from the end of the row, so padding after the variable data is invisible.

// The longest row a data page takes (§4.1).
constexpr size_t kMaxRowSize = 4060;

// One stored row of a table taken apart: where each column's bytes lie. Points into the row,
// which must outlive it.
class StoredRow {
 public:
  // Locates the null mask and the variable-column table of the row bytes [row, row + length)
  // found on `page`. Throws jet::Error, naming the page, when they do not fit the row.
  StoredRow(const TableDef& def, const uint8_t* row, size_t length, const PageCache& cache,
            PageNumber page);

  // The stored bytes of `column`: nothing when it is NULL or the row predates it; a Yes/No
  // column is empty for Yes and nothing for No. Throws jet::Error when they overrun the row.
  std::optional<std::string_view> Bytes(const Column& column) const;

  // The row's own counts and tables, for judging a row rather than reading it.
  size_t column_count() const { return column_count_; }  // as the row was written
  size_t variable_count() const { return var_count_; }
  // The variable-column offset table's entry i, i <= variable_count() (the last is the end of
  // the variable data); all data lies before data_end().
  size_t VariableOffset(size_t i) const { return LoadU16(row_ + offsets_at_ - 2 * i); }
  size_t data_end() const { return fixed_end_; }

 private:
  std::string Where() const { return cache_.Where(page_); }
  [[noreturn]] void Overrun(const Column& column, size_t start, size_t end) const;
  enum class Part { kColumnCount, kNullMask, kVariableCount, kVariableOffsets };
  [[noreturn]] void TooShort(Part part) const;

  const uint8_t* row_;
  size_t length_;
  const PageCache& cache_;
  PageNumber page_;
  size_t column_count_ = 0;
  const uint8_t* mask_ = nullptr;
  size_t fixed_end_ = 0;  // all column data lies before this
  size_t var_count_ = 0;
  size_t offsets_at_ = 0;  // position of variable offset entry 0
};

// The stored bytes of each column of one row, by physical column number (Column::number):
// fixed columns their fixed-area bytes, variable ones their data (Memo/OLE: the long-value
// definition, not the data). nullopt = NULL. A Yes/No column is "" for Yes and nullopt for No:
// its value lives in the null mask.
using StoredColumns = std::vector<std::optional<std::string>>;

// Splits a row as stored into its columns' stored bytes, so that a row can be rebuilt with some
// columns changed and the others copied as they are. Throws jet::Error as StoredRow does.
StoredColumns SplitRow(const TableDef& def, const uint8_t* row, size_t length,
                       const PageCache& cache, PageNumber page);

// Builds a row of `def` from its columns' stored bytes, laid out as Access lays rows out: the
// column count, the fixed area, the variable data in variable-column order, the end-of-data
// word, the offsets last first, their count and the null mask. `pad_to` pads the row with zero
// bytes before its trailer (invisible to readers) up to that length. Throws jet::Error when a
// value's size does not fit its column or the row would exceed kMaxRowSize.
std::string BuildRow(const TableDef& def, const StoredColumns& columns, size_t pad_to = 0);

// Inline, as Bytes: a table scan takes every row apart.
inline StoredRow::StoredRow(const TableDef& def, const uint8_t* row, size_t length,
                            const PageCache& cache, PageNumber page)
    : row_(row), length_(length), cache_(cache), page_(page) {
  if (length < 2) TooShort(Part::kColumnCount);
  column_count_ = LoadU16(row);
  const size_t mask_length = (column_count_ + 7) / 8;
  if (2 + mask_length > length) TooShort(Part::kNullMask);
  mask_ = row + length - mask_length;
  fixed_end_ = length - mask_length;
  if (def.variable_columns > 0) {
    if (fixed_end_ < 2 + 2) TooShort(Part::kVariableCount);
    var_count_ = LoadU16(row + fixed_end_ - 2);
    if (4 + 2 * var_count_ + 2 > fixed_end_) TooShort(Part::kVariableOffsets);
    offsets_at_ = fixed_end_ - 4;
    fixed_end_ = fixed_end_ - 4 - 2 * var_count_;  // the EOD entry: all data lies before it
  }
}

// Inline: a table scan asks for every column of every row.
inline std::optional<std::string_view> StoredRow::Bytes(const Column& c) const {
  const bool present = c.number < column_count_ && ((mask_[c.number / 8] >> (c.number % 8)) & 1);
  if (!present) return std::nullopt;
  if (c.type == kTypeBoolean) return std::string_view();
  const char* bytes = reinterpret_cast<const char*>(row_);
  if (c.fixed()) {
    const size_t size = StoredSize(c);
    const size_t start = 2 + static_cast<size_t>(c.fixed_offset);
    if (start + size > fixed_end_) Overrun(c, start, start + size);
    return std::string_view(bytes + start, size);
  }
  if (c.var_index >= var_count_) return std::nullopt;
  const size_t start = LoadU16(row_ + offsets_at_ - 2 * c.var_index);
  const size_t end = LoadU16(row_ + offsets_at_ - 2 * (c.var_index + 1));
  if (start > end || end > fixed_end_ || start < 2) Overrun(c, start, end);
  return std::string_view(bytes + start, end - start);
}

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ROW_LAYOUT_H_
