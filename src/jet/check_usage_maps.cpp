// A table's free-space map. No reader follows it, but the writers take the page they put a new
// row on from it: a page it lists that the table's page map does not is where a row would go
// that no reader ever finds.
#include "jet/check_parts.h"
#include "jet/usage_map.h"

namespace jet {

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
