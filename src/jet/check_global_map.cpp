// The global usage map (page 1, row 0), where a set bit means the page is free, against the pages
// the rest of the check found in use.
#include <cstring>

#include "jet/byte_order.h"
#include "jet/check_parts.h"
#include "jet/page_allocator.h"
#include "jet/data_page.h"

namespace jet {
namespace {


}  // namespace

void CheckGlobalMap(PageCache& cache, const std::map<PageNumber, std::string>& used,
                    CheckReport* report) {
  PageRef page = cache.Read(kGlobalMapPage);
  RowSlot slot;
  try {
    if (page->type() != kPageData) throw Error(cache.Where(kGlobalMapPage) + "not a data page");
    slot = ReadSlot(*page, 0, cache);
  } catch (const Error& e) {
    report->errors.push_back(std::string("the global usage map cannot be read: ") + e.what());
    return;
  }
  const uint8_t* row = page->data() + slot.offset;
  if (slot.length < 5 || row[0] != 0) {
    report->warnings.push_back("the global usage map is not an inline map; free pages not checked");
    return;
  }
  const PageNumber start = LoadU32(row + 1);
  const size_t bits = (slot.length - 5) * 8u;
  // Jackcess slides the map's window to the end of a growing file and leaves the pages before
  // it in use; pages outside the window are neither judged used nor free.
  auto covered = [&](PageNumber p) { return p >= start && p - start < bits; };
  auto is_free = [&](PageNumber p) {
    size_t bit = p - start;
    return ((row[5 + bit / 8] >> (bit % 8)) & 1) != 0;
  };
  for (const auto& [p, what] : used) {
    if (p < cache.page_count() && covered(p) && is_free(p)) {
      report->errors.push_back("page " + std::to_string(p) + " is used by " + what +
                               " but the global usage map marks it free");
    }
  }
  for (PageNumber p = 0; p < cache.page_count(); ++p) {
    if (!covered(p) || used.count(p) != 0 || is_free(p)) continue;
    // Long values of columns without page maps (files of older Jackcess versions) are found
    // only through their rows: count such pages as used rather than lost.
    PageRef unclaimed = cache.Read(p);
    if (unclaimed->type() == kPageData && DataPageOwner(*unclaimed) == kLongValueOwner) {
      continue;
    }
    report->unreachable_pages.push_back(p);
  }
}

}  // namespace jet
