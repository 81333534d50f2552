// A table's free-space map. No reader follows it, but the writers take the page they put a new
// row on from it: a page it lists that the table's page map does not is where a row would go
// that no reader ever finds.
#include "jet/byte_order.h"
#include "jet/check_parts.h"
#include "jet/data_page.h"
#include "jet/usage_map.h"

namespace jet {

void CheckMapRow(PageCache& cache, RowPointer map, const std::string& table, CheckReport* report) {
  if (map.page == 0 || map.page >= cache.page_count()) return;  // reported where it is loaded
  PageRef page = cache.Read(map.page);
  if (page->type() != kPageData || map.row >= LoadU16(page->data() + 12)) return;
  const uint16_t word = LoadU16(page->data() + 14 + 2 * map.row);
  if ((word & 0xE000) != 0) {
    static const char kHex[] = "0123456789ABCDEF";
    report->errors.push_back(table + ": page " + std::to_string(map.page) +
                             ": the slot of usage map row " + std::to_string(map.row) +
                             " carries the flags 0x" + kHex[word >> 12 & 0xE] + "000");
  }
}

void CheckFreeSpaceMap(PageCache& cache, RowPointer free_space, const std::set<PageNumber>& owned,
                       const std::string& what, CheckReport* report) {
  if (free_space.IsNull()) return;
  try {
    const UsageMap map = UsageMap::Load(cache, free_space);
    for (std::optional<PageNumber> p = map.NextPage(0); p; p = map.NextPage(*p + 1)) {
      if (owned.count(*p) != 0) continue;
      report->errors.push_back(what + ": its free-space map lists page " + std::to_string(*p) +
                               ", which is not one of its pages");
      return;
    }
  } catch (const Error& e) {
    report->errors.push_back(what + ": its free-space map cannot be read: " + e.what());
  }
}

}  // namespace jet
