#include "jet/usage_map_edit.h"

#include <cstring>
#include <map>
#include <vector>

#include "jet/byte_order.h"
#include "jet/data_page_edit.h"
#include "jet/error.h"
#include "jet/page_allocator.h"
#include "jet/usage_map.h"

namespace jet {
namespace {

// The map's row bytes, located on its page.
struct MapRow {
  RowSlot slot;
  const uint8_t* bytes = nullptr;
};

MapRow Locate(PageCache& cache, RowPointer map, PageRef* holder) {
  *holder = cache.Read(map.page);
  if ((*holder)->type() != kPageData) {
    throw Error(cache.Where(map.page) + "expected a usage map row on a data page");
  }
  MapRow row;
  row.slot = ReadSlot(**holder, map.row, cache);
  row.bytes = (*holder)->data() + row.slot.offset;
  if (row.slot.length < kInlineMapHeader || row.bytes[0] > kReferenceMap) {
    throw Error(cache.Where(map.page) + "usage map row " + std::to_string(map.row) +
                " is damaged");
  }
  return row;
}

void SetBit(uint8_t* bits, size_t bit, bool on) {
  if (on) {
    bits[bit / 8] = static_cast<uint8_t>(bits[bit / 8] | (1u << (bit % 8)));
  } else {
    bits[bit / 8] = static_cast<uint8_t>(bits[bit / 8] & ~(1u << (bit % 8)));
  }
}

// A new, empty bitmap page for a reference map.
PageNumber NewBitmapPage(PageCache& cache) {
  const PageNumber page = AllocatePage(cache);
  Page& fresh = cache.Modify(page);
  fresh.bytes[0] = kPageUsageMap;
  fresh.bytes[1] = 0x01;
  return page;
}

uint8_t* RowBytes(PageCache& cache, RowPointer map, const RowSlot& slot) {
  return cache.Modify(map.page).bytes.data() + slot.offset;
}

// Sets or clears `page`'s bit on a reference map's bitmap page; a missing bitmap page is made
// first when setting.
void EditReference(PageCache& cache, RowPointer map, const MapRow& row, PageNumber page, bool on) {
  const size_t index = page / kPagesPerBitmapPage;
  const size_t pointers = (row.slot.length - 1) / 4;
  if (index >= pointers) {
    if (!on) return;
    throw Error(cache.Where(map.page) + "usage map row " + std::to_string(map.row) +
                " cannot reach page " + std::to_string(page));
  }
  PageNumber holder = LoadU32(row.bytes + 1 + 4 * index);
  if (holder == 0) {
    if (!on) return;
    holder = NewBitmapPage(cache);
    StoreU32(RowBytes(cache, map, row.slot) + 1 + 4 * index, holder);
  }
  Page& bitmap = cache.Modify(holder);
  SetBit(bitmap.bytes.data() + kBitmapPageHeader, page - index * kPagesPerBitmapPage, on);
}

// Rewrites an inline map holding `pages` as a reference map.
void ConvertToReference(PageCache& cache, RowPointer map, const MapRow& row,
                        const std::vector<PageNumber>& pages) {
  const size_t pointers = (row.slot.length - 1) / 4;
  std::map<size_t, PageNumber> holders;
  for (PageNumber p : pages) {
    const size_t index = p / kPagesPerBitmapPage;
    if (index >= pointers) {
      throw Error(cache.Where(map.page) + "usage map row " + std::to_string(map.row) +
                  " cannot reach page " + std::to_string(p));
    }
    holders.emplace(index, 0);
  }
  for (auto& [index, holder] : holders) holder = NewBitmapPage(cache);
  for (PageNumber p : pages) {
    const size_t index = p / kPagesPerBitmapPage;
    Page& bitmap = cache.Modify(holders[index]);
    SetBit(bitmap.bytes.data() + kBitmapPageHeader, p - index * kPagesPerBitmapPage, true);
  }
  uint8_t* out = RowBytes(cache, map, row.slot);
  std::memset(out, 0, row.slot.length);
  out[0] = kReferenceMap;
  for (const auto& [index, holder] : holders) StoreU32(out + 1 + 4 * index, holder);
}

}  // namespace

void AddToUsageMap(PageCache& cache, RowPointer map, PageNumber page) {
  PageRef holder;
  const MapRow row = Locate(cache, map, &holder);
  if (row.bytes[0] == kReferenceMap) {
    EditReference(cache, map, row, page, true);
    return;
  }
  const PageNumber start = LoadU32(row.bytes + 1);
  const size_t bits = (row.slot.length - kInlineMapHeader) * 8u;
  if (page >= start && page - start < bits) {
    SetBit(RowBytes(cache, map, row.slot) + kInlineMapHeader, page - start, true);
    return;
  }
  // Outside the window: gather the pages and try a window that holds them all.
  std::vector<PageNumber> pages{page};
  for (size_t bit = 0; bit < bits; ++bit) {
    if ((row.bytes[kInlineMapHeader + bit / 8] >> (bit % 8)) & 1) pages.push_back(start + bit);
  }
  PageNumber low = page, high = page;
  for (PageNumber p : pages) {
    low = std::min(low, p);
    high = std::max(high, p);
  }
  const PageNumber new_start = low - low % 8;
  if (high - new_start < bits) {
    uint8_t* out = RowBytes(cache, map, row.slot);
    std::memset(out + kInlineMapHeader, 0, row.slot.length - kInlineMapHeader);
    StoreU32(out + 1, new_start);
    for (PageNumber p : pages) SetBit(out + kInlineMapHeader, p - new_start, true);
    return;
  }
  ConvertToReference(cache, map, row, pages);
}

void RemoveFromUsageMap(PageCache& cache, RowPointer map, PageNumber page) {
  PageRef holder;
  const MapRow row = Locate(cache, map, &holder);
  if (row.bytes[0] == kReferenceMap) {
    EditReference(cache, map, row, page, false);
    return;
  }
  const PageNumber start = LoadU32(row.bytes + 1);
  const size_t bits = (row.slot.length - kInlineMapHeader) * 8u;
  if (page < start || page - start >= bits) return;
  if (((row.bytes[kInlineMapHeader + (page - start) / 8] >> ((page - start) % 8)) & 1) == 0) return;
  SetBit(RowBytes(cache, map, row.slot) + kInlineMapHeader, page - start, false);
}

}  // namespace jet
