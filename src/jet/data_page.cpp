#include "jet/data_page.h"

#include "jet/byte_order.h"
#include "jet/error.h"

namespace jet {
namespace {

// Access moves a row again when it grows again; real chains are short.
constexpr int kMaxMovedRowHops = 64;

}  // namespace

uint32_t DataPageOwner(const Page& page) { return LoadU32(page.data() + kDataPageOwner); }

uint16_t FreeSpace(const Page& page) { return LoadU16(page.data() + kDataPageFreeSpace); }

int SlotCount(const Page& page, const PageCache& cache) {
  int count = LoadU16(page.data() + kDataPageSlotCount);
  if (kDataPageHeader + 2 * static_cast<size_t>(count) > kPageSize) {
    throw Error(cache.Where(page.number) + "row count " + std::to_string(count) +
                " does not fit the page");
  }
  return count;
}

RowSlot ReadSlot(const Page& page, int slot, const PageCache& cache) {
  int count = SlotCount(page, cache);
  if (slot < 0 || slot >= count) {
    throw Error(cache.Where(page.number) + "row " + std::to_string(slot) +
                " does not exist (the page has " + std::to_string(count) + " rows)");
  }
  const uint8_t* p = page.data();
  uint16_t word = LoadU16(p + kDataPageHeader + 2 * slot);
  RowSlot result;
  result.offset = word & kSlotOffsetMask;
  result.deleted = (word & kSlotDeletedFlag) != 0;
  result.overflow = (word & kSlotOverflowFlag) != 0;
  size_t end = kPageSize;
  if (slot > 0) end = LoadU16(p + kDataPageHeader + 2 * (slot - 1)) & kSlotOffsetMask;
  size_t table_end = kDataPageHeader + 2 * static_cast<size_t>(count);
  if (result.offset < table_end || result.offset > end || end > kPageSize) {
    if (result.deleted) {  // a deleted slot's bytes are never read; give it no length
      result.length = 0;
      result.offset = static_cast<uint16_t>(table_end);
      return result;
    }
    throw Error(cache.Where(page.number) + "row " + std::to_string(slot) + " offset " +
                std::to_string(result.offset) + " lies outside the page's row area");
  }
  result.length = static_cast<uint16_t>(end - result.offset);
  return result;
}

RowLocation LocateRow(PageCache& cache, RowPointer header) {
  RowLocation at;
  at.page = cache.Read(header.page);
  at.where = header;
  at.slot = ReadSlot(*at.page, header.row, cache);
  return LocateRow(cache, std::move(at));
}

RowLocation LocateRow(PageCache& cache, RowLocation header) {
  RowLocation at = std::move(header);
  const PageNumber first = at.where.page;
  for (int hops = 0; at.slot.overflow; ++hops) {
    if (hops == kMaxMovedRowHops) {
      throw Error(cache.Where(first) + "moved row is moved more than " +
                  std::to_string(kMaxMovedRowHops) + " times (a loop?)");
    }
    const PageNumber from = at.where.page;
    if (at.slot.length < 4) throw Error(cache.Where(from) + "moved row's pointer is cut short");
    const RowPointer target = RowPointer::FromWord(LoadU32(at.bytes()));
    if (target.page == 0 || target.page >= cache.page_count()) {
      throw Error(cache.Where(from) + "moved row points to page " + std::to_string(target.page) +
                  ", outside the file");
    }
    PageRef page = cache.Read(target.page);
    if (page->type() != kPageData) {
      throw Error(cache.Where(target.page) + "moved row points to a page of type " +
                  std::to_string(page->type()) + ", not a data page");
    }
    at.slot = ReadSlot(*page, target.row, cache);
    at.page = std::move(page);
    at.where = target;
  }
  return at;
}

}  // namespace jet
