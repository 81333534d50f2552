#include "jet/page_allocator.h"

#include "jet/byte_order.h"
#include "jet/data_page.h"
#include "jet/data_page_edit.h"
#include "jet/error.h"
#include "jet/usage_map.h"

namespace jet {
namespace {

constexpr size_t kGrowBytes = 4;  // Access grows the map 32 pages at a time

// The global map's row on page 1: where it is and the page number of its first bit.
struct GlobalMap {
  RowSlot slot;
  PageNumber start = 0;
  size_t bits = 0;
};

GlobalMap LoadGlobalMap(PageCache& cache) {
  PageRef page = cache.Read(kGlobalMapPage);
  if (page->type() != kPageData) throw Error(cache.Where(kGlobalMapPage) + "not the global map");
  GlobalMap map;
  map.slot = ReadSlot(*page, 0, cache);
  if (map.slot.length < kInlineMapHeader || page->data()[map.slot.offset] != kInlineMap) {
    throw Error(cache.file_name() +
                ": the global page map is not an inline map; pages cannot be allocated");
  }
  map.start = LoadU32(page->data() + map.slot.offset + 1);
  map.bits = (map.slot.length - kInlineMapHeader) * 8u;
  return map;
}

bool BitSet(const uint8_t* row, size_t bit) {
  return (row[kInlineMapHeader + bit / 8] >> (bit % 8)) & 1;
}

void ClearBit(Page& page, const RowSlot& slot, size_t bit) {
  uint8_t& byte = page.bytes[slot.offset + kInlineMapHeader + bit / 8];
  byte = static_cast<uint8_t>(byte & ~(1u << (bit % 8)));
}

// Rebuilds page 1 with the global map's row longer by kGrowBytes, the new bits set (free); the
// page's other rows move down with it.
void GrowGlobalMap(PageCache& cache) {
  PageRef current = cache.Read(kGlobalMapPage);
  std::vector<SlotRow> rows = ReadSlotRows(*current, cache);
  rows[0].bytes.append(kGrowBytes, '\xFF');
  Page& page = cache.Modify(kGlobalMapPage);
  PackSlotRows(page, rows, cache);
}

}  // namespace

PageNumber AllocatePage(PageCache& cache) {
  GlobalMap map = LoadGlobalMap(cache);
  const PageNumber end = cache.page_count();
  {
    PageRef page = cache.Read(kGlobalMapPage);
    const uint8_t* row = page->data() + map.slot.offset;
    // Pages 0..2 (header, this map, the catalogue's definition) are never free.
    for (PageNumber p = std::max<PageNumber>(map.start, 3); p < end && p - map.start < map.bits;
         ++p) {
      if (!BitSet(row, p - map.start)) continue;
      Page& taken = cache.Modify(p);
      taken.bytes.fill(0);
      ClearBit(cache.Modify(kGlobalMapPage), map.slot, p - map.start);
      return p;
    }
  }
  // Every page in the file is in use: add one at the end, after any page already added in
  // this step.
  const PageNumber fresh = cache.end_page();
  if (fresh < map.start) throw Error(cache.file_name() + ": the global page map starts too late");
  if (fresh - map.start >= map.bits) {
    if (fresh - map.start >= map.bits + kGrowBytes * 8 ||
        FreeSpace(*cache.Read(kGlobalMapPage)) < kGrowBytes) {
      throw Error(cache.file_name() + ": the global page map cannot grow to page " +
                  std::to_string(fresh));
    }
    Page& added = cache.Modify(fresh);
    added.bytes.fill(0);
    GrowGlobalMap(cache);
    map = LoadGlobalMap(cache);
  } else {
    Page& added = cache.Modify(fresh);
    added.bytes.fill(0);
  }
  ClearBit(cache.Modify(kGlobalMapPage), map.slot, fresh - map.start);
  return fresh;
}

void FreePages(PageCache& cache, const std::set<PageNumber>& pages) {
  if (pages.empty()) return;
  PageRef current = cache.Read(kGlobalMapPage);
  if (current->type() != kPageData) return;
  const RowSlot slot = ReadSlot(*current, 0, cache);
  if (slot.length < kInlineMapHeader || current->data()[slot.offset] != kInlineMap) return;
  Page& page = cache.Modify(kGlobalMapPage);
  uint8_t* row = page.bytes.data() + slot.offset;
  const PageNumber start = LoadU32(row + 1);
  const size_t bits = (slot.length - kInlineMapHeader) * 8u;
  for (PageNumber p : pages) {
    if (p < start || p - start >= bits) continue;
    const size_t bit = p - start;
    row[kInlineMapHeader + bit / 8] =
        static_cast<uint8_t>(row[kInlineMapHeader + bit / 8] | (1u << (bit % 8)));
  }
}

}  // namespace jet
