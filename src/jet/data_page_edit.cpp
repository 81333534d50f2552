#include "jet/data_page_edit.h"

#include <cstring>

#include "jet/byte_order.h"
#include "jet/data_page.h"
#include "jet/error.h"

namespace jet {

void InitDataPage(Page& page, uint32_t owner) {
  page.bytes.fill(0);
  page.bytes[0] = kPageData;
  page.bytes[1] = 0x01;
  StoreU16(page.bytes.data() + kDataPageFreeSpace, static_cast<uint16_t>(kEmptyDataPageSpace));
  StoreU32(page.bytes.data() + kDataPageOwner, owner);
}

std::vector<SlotRow> ReadSlotRows(const Page& page, const PageCache& cache) {
  std::vector<SlotRow> rows;
  const int count = SlotCount(page, cache);
  rows.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const RowSlot slot = ReadSlot(page, i, cache);
    SlotRow row;
    row.flags = static_cast<uint16_t>((slot.deleted ? kSlotDeletedFlag : 0) |
                                      (slot.overflow ? kSlotOverflowFlag : 0));
    row.bytes.assign(reinterpret_cast<const char*>(page.data()) + slot.offset, slot.length);
    rows.push_back(std::move(row));
  }
  return rows;
}

void PackSlotRows(Page& page, const std::vector<SlotRow>& rows, const PageCache& cache) {
  size_t used = kDataPageHeader + 2 * rows.size();
  for (const SlotRow& row : rows) used += row.bytes.size();
  if (rows.size() > kMaxSlotsPerPage || used > kPageSize) {
    throw Error(cache.Where(page.number) + "the rows do not fit the page");
  }
  uint8_t* p = page.bytes.data();
  size_t end = kPageSize;
  for (size_t i = 0; i < rows.size(); ++i) {
    const size_t offset = end - rows[i].bytes.size();
    std::memcpy(p + offset, rows[i].bytes.data(), rows[i].bytes.size());
    StoreU16(p + kDataPageHeader + 2 * i, static_cast<uint16_t>(offset | rows[i].flags));
    end = offset;
  }
  // The gap between the slot table and the lowest row is the free space; clear it so that no
  // stale bytes of moved rows stay readable there.
  const size_t table_end = kDataPageHeader + 2 * rows.size();
  std::memset(p + table_end, 0, end - table_end);
  StoreU16(p + kDataPageSlotCount, static_cast<uint16_t>(rows.size()));
  StoreU16(p + kDataPageFreeSpace, static_cast<uint16_t>(end - table_end));
}

}  // namespace jet
