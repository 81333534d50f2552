#ifndef MDBTOMYSQL_JET_ROW_H_
#define MDBTOMYSQL_JET_ROW_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jet/column_value.h"
#include "jet/page_cache.h"
#include "jet/row_layout.h"
#include "jet/table_def.h"
#include "jet/value.h"

namespace jet {

// Decodes the rows of one table (laid out as row_layout.h describes) into values.
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

// The stored columns of a row holding `values` (one per column of def.columns, in its order), the
// counterpart of RowDecoder for every type but Memo and OLE, whose values are stored apart
// (StoreLongValue): a Yes/No is Yes for true, NULL stays NULL. Throws jet::Error as StoreValue
// does for a value that does not suit its column.
StoredColumns EncodeRow(const TableDef& def, const std::vector<Value>& values);

// The same for the columns named in `values`, the others NULL. Throws jet::Error naming `table`
// of `file_name` for a column the definition lacks.
StoredColumns EncodeRow(const TableDef& def, const std::vector<ColumnValue>& values,
                        const std::string& table, const std::string& file_name);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ROW_H_
