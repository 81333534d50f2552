#include "jet/table_def_edit.h"

#include <algorithm>

#include "jet/byte_order.h"
#include "jet/error.h"
#include "jet/table_def_layout.h"

namespace jet {

void AddToRowCount(PageCache& cache, const TableDef& def, int32_t delta) {
  Page& page = cache.Modify(def.page);
  uint8_t* count = page.bytes.data() + kTableDefRowCount;
  const int64_t after = static_cast<int64_t>(LoadU32(count)) + delta;
  StoreU32(count, static_cast<uint32_t>(std::max<int64_t>(after, 0)));
}

void AddToUniqueEntries(PageCache& cache, PageNumber table_def, uint32_t index, uint32_t added) {
  const size_t at = kTableDefHeader + kTableDefRealIndexHeader * static_cast<size_t>(index) +
                    kTableDefUniqueEntries;
  // Access keeps at most 32 indexes, whose counts all lie on the first page.
  if (at + 4 > kPageSize) {
    throw Error(cache.Where(table_def) + "the count of index " + std::to_string(index) +
                " lies beyond the definition's first page");
  }
  Page& page = cache.Modify(table_def);
  uint8_t* count = page.bytes.data() + at;
  StoreU32(count, LoadU32(count) + added);
}

}  // namespace jet
