#include "jet/data_page.h"

#include "jet/byte_order.h"
#include "jet/error.h"

namespace jet {
namespace {

constexpr size_t kSlotTable = 14;
constexpr uint16_t kOffsetMask = 0x1FFF;

}  // namespace

int SlotCount(const Page& page, const PageCache& cache) {
  int count = LoadU16(page.data() + 12);
  if (kSlotTable + 2 * static_cast<size_t>(count) > kPageSize) {
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
  uint16_t word = LoadU16(p + kSlotTable + 2 * slot);
  RowSlot result;
  result.offset = word & kOffsetMask;
  result.deleted = (word & 0x8000) != 0;
  result.overflow = (word & 0x4000) != 0;
  size_t end = kPageSize;
  if (slot > 0) end = LoadU16(p + kSlotTable + 2 * (slot - 1)) & kOffsetMask;
  size_t table_end = kSlotTable + 2 * static_cast<size_t>(count);
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

}  // namespace jet
