#ifndef MDBTOMYSQL_JET_ROW_LAYOUT_H_
#define MDBTOMYSQL_JET_ROW_LAYOUT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/page_cache.h"
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

 private:
  std::string Where() const { return cache_.Where(page_); }

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

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ROW_LAYOUT_H_
