#include "jet/row_removal.h"

#include "jet/byte_order.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/index_edit.h"
#include "jet/index_key.h"
#include "jet/index_page.h"
#include "jet/table_def_edit.h"

namespace jet {
namespace {

// Deleted, and "moved" so that no reader follows it.
constexpr uint16_t kSlotDeleted = kSlotDeletedFlag | kSlotOverflowFlag;

}  // namespace

int ColumnPosition(const TableDef& def, const char* column, const std::string& table,
                   const std::string& file_name) {
  return static_cast<int>(&RequireColumn(def, column, table, file_name) - def.columns.data());
}

void VerifyEntries(PageCache& cache, const TableDef& def, const std::vector<FoundRow>& rows,
                   const std::string& table) {
  for (const RealIndex& index : def.real_indexes) {
    IndexTree tree = ReadIndexTree(cache, index, def.page);
    for (const FoundRow& row : rows) {
      std::optional<std::string> key = EncodeIndexKey(def, index, row.values);
      for (const IndexEntry& e : tree.entries) {
        if (e.row.Word() != row.where.Word()) continue;
        if (!key || *key != e.key()) {
          throw Error(cache.file_name() + ": an index of " + table +
                      " holds a key this engine does not compute for the row at page " +
                      std::to_string(row.where.page) + "; nothing was written");
        }
      }
    }
  }
}

void DeleteRows(PageCache& cache, const TableDef& def, const std::vector<FoundRow>& rows) {
  if (rows.empty()) return;
  for (const FoundRow& row : rows) {
    Page& page = cache.Modify(row.where.page);
    uint8_t* slot = page.bytes.data() + kDataPageHeader + 2 * row.where.row;
    StoreU16(slot, static_cast<uint16_t>(LoadU16(slot) | kSlotDeleted));
  }
  AddToRowCount(cache, def, -static_cast<int32_t>(rows.size()));
  cache.Flush();
}

void RemoveEntries(PageCache& cache, const TableDef& def, const std::vector<size_t>& order,
                   const std::vector<FoundRow>& rows) {
  std::vector<RowPointer> pointers;
  for (const FoundRow& row : rows) pointers.push_back(row.where);
  for (size_t i : order) RemoveIndexEntries(cache, def.real_indexes[i], def.page, pointers);
}

}  // namespace jet
