// The header fields of an index tree's pages. The tree's reader follows only the links and the
// entries; the writers also trust the free space and the prefix, and a page whose fields Access
// would never write is one whose entries are not to be trusted either.
#include "jet/byte_order.h"
#include "jet/check_parts.h"

namespace jet {
namespace {

constexpr size_t kMaskBytes = kIndexEntriesStart - kIndexMaskStart;

// The end of the last entry (the highest bit of the entry mask), relative to the entries' start.
size_t EntriesEnd(const uint8_t* p) {
  for (size_t byte = kMaskBytes; byte-- > 0;) {
    const uint8_t bits = p[kIndexMaskStart + byte];
    if (bits == 0) continue;
    size_t bit = 7;
    while (((bits >> bit) & 1) == 0) --bit;
    return byte * 8 + bit;
  }
  return 0;
}

}  // namespace

void CheckIndexPages(PageCache& cache, const IndexTree& tree, const std::string& where,
                     CheckReport* report) {
  for (PageNumber number : tree.pages) {
    PageRef page = cache.Read(number);
    const uint8_t* p = page->data();
    const bool leaf = p[0] == kPageIndexLeaf;
    const std::string at = where + ": page " + std::to_string(number) + ": ";
    const size_t end = EntriesEnd(p);
    if (end > kIndexEntrySpace) {
      report->errors.push_back(at + "entries end at byte " + std::to_string(end) +
                               ", past the page's entry space");
      continue;
    }
    const uint16_t free_space = LoadU16(p + 2);
    if (free_space != kIndexEntrySpace - end) {
      report->errors.push_back(at + "the page says " + std::to_string(free_space) +
                               " bytes are free, its entries leave " +
                               std::to_string(kIndexEntrySpace - end));
    }
    // Access writes 1 at byte 1, zero at 8..11, no tail (20..23) on a leaf, and 0 at byte 26 of a
    // leaf (1 or 0 on a node).
    if (p[1] != 1 || LoadU32(p + 8) != 0 || (leaf && LoadU32(p + 20) != 0) ||
        (leaf ? p[26] != 0 : p[26] > 1)) {
      report->errors.push_back(at + "the page's header holds values Access never writes there");
    }
  }
}

}  // namespace jet
