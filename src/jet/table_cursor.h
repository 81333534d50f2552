#ifndef MDBTOMYSQL_JET_TABLE_CURSOR_H_
#define MDBTOMYSQL_JET_TABLE_CURSOR_H_

#include <memory>
#include <optional>
#include <vector>

#include "jet/page_cache.h"
#include "jet/row.h"
#include "jet/table_def.h"
#include "jet/usage_map.h"
#include "jet/value.h"

namespace jet {

// Reads the rows of one table in storage order: the pages of its owned-pages map in ascending
// order, the rows of each page in slot order, deleted rows skipped and moved (overflow) rows
// followed. Holds one page at a time, so memory does not grow with the table. The cursor must not
// outlive the Database it came from.
class TableCursor {
 public:
  TableCursor(PageCache& cache, std::shared_ptr<const TableDef> def);

  // Decode only the columns whose flag is set (positions in def().columns); others read NULL.
  void SelectColumns(std::vector<bool> wanted) { decoder_.SelectColumns(std::move(wanted)); }

  // Moves to the next row; false when there is none. Throws jet::Error on damage.
  bool Next();

  // The current row's values, one per column of def().columns, in that order.
  const std::vector<Value>& values() const { return values_; }
  const Value& operator[](size_t column) const { return values_[column]; }

  const TableDef& def() const { return *def_; }
  // Where the current row's header slot is (the row's identity in indexes).
  PageNumber page() const { return page_ ? page_->number : 0; }
  int slot() const { return slot_ - 1; }
  // The current row's stored bytes (where a moved row's data really is), valid until Next().
  const uint8_t* row_data() const { return row_data_; }
  size_t row_length() const { return row_length_; }
  PageNumber row_page() const { return row_page_; }

 private:
  PageCache& cache_;
  std::shared_ptr<const TableDef> def_;
  UsageMap owned_pages_;
  RowDecoder decoder_;
  PageNumber next_page_ = 0;
  PageRef page_;
  PageRef moved_page_;  // where the current row's bytes are when it has moved
  int slot_ = 0;
  int slot_count_ = 0;
  bool done_ = false;
  const uint8_t* row_data_ = nullptr;
  size_t row_length_ = 0;
  PageNumber row_page_ = 0;
  std::vector<Value> values_;
};

}  // namespace jet

#endif  // MDBTOMYSQL_JET_TABLE_CURSOR_H_
