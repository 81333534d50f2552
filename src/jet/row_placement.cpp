#include "jet/row_placement.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "jet/byte_order.h"
#include "jet/data_page_edit.h"
#include "jet/error.h"
#include "jet/page_allocator.h"
#include "jet/usage_map.h"
#include "jet/usage_map_edit.h"

namespace jet {
namespace {

// The lowest row start on data page `page`: where the next row must end.
size_t LowestRowStart(const Page& page, int slots) {
  size_t lowest = kPageSize;
  const size_t table_end = kDataPageHeader + 2 * static_cast<size_t>(slots);
  for (int i = 0; i < slots; ++i) {
    const size_t offset = LoadU16(page.data() + kDataPageHeader + 2 * i) & kSlotOffsetMask;
    if (offset >= table_end && offset < lowest) lowest = offset;
  }
  return lowest;
}

bool HasRoom(const Page& page, size_t length, const PageCache& cache) {
  const int slots = SlotCount(page, cache);
  if (slots >= kMaxSlotsPerPage) return false;
  const size_t table_end = kDataPageHeader + 2 * static_cast<size_t>(slots + 1);
  const size_t start = LowestRowStart(page, slots);
  return start >= table_end && start - table_end >= length && FreeSpace(page) >= length + 2;
}

// Appends `bytes` as a new slot of data page `number`; the page must have room (HasRoom).
RowPointer AddRowToPage(PageCache& cache, PageNumber number, std::string_view bytes,
                        uint16_t slot_flags) {
  Page& page = cache.Modify(number);
  const int slots = SlotCount(page, cache);
  const size_t offset = LowestRowStart(page, slots) - bytes.size();
  uint8_t* p = page.bytes.data();
  std::memcpy(p + offset, bytes.data(), bytes.size());
  StoreU16(p + kDataPageHeader + 2 * slots, static_cast<uint16_t>(offset | slot_flags));
  StoreU16(p + kDataPageSlotCount, static_cast<uint16_t>(slots + 1));
  StoreU16(p + kDataPageFreeSpace, static_cast<uint16_t>(FreeSpace(page) - bytes.size() - 2));
  return RowPointer{number, static_cast<uint8_t>(slots)};
}

// A page of map `free_space` owned by `owner` with room for `length` bytes, or 0.
PageNumber FindRoom(PageCache& cache, RowPointer free_space, uint32_t owner, size_t length) {
  if (free_space.IsNull()) return 0;
  const UsageMap map = UsageMap::Load(cache, free_space);
  for (std::optional<PageNumber> p = map.NextPage(0); p; p = map.NextPage(*p + 1)) {
    PageRef page = cache.Read(*p);
    if (page->type() == kPageData && DataPageOwner(*page) == owner &&
        HasRoom(*page, length, cache)) {
      return *p;
    }
  }
  return 0;
}

// A new data page owned by `owner`, entered in the maps given, made durable.
PageNumber NewDataPage(PageCache& cache, uint32_t owner, RowPointer owned, RowPointer free_space) {
  const PageNumber number = AllocatePage(cache);
  InitDataPage(cache.Modify(number), owner);
  cache.Flush();  // the page exists before any map lists it
  if (!owned.IsNull()) AddToUsageMap(cache, owned, number);
  if (!free_space.IsNull()) AddToUsageMap(cache, free_space, number);
  cache.Flush();
  return number;
}

void RequireRowSize(const PageCache& cache, size_t size) {
  if (size > kMaxRowSize) {
    throw Error(cache.file_name() + ": a row of " + std::to_string(size) +
                " bytes is too long for a page");
  }
}

// Puts the row built from `columns` in place of the row in slot `slot` of `page`: in its own
// bytes, padded to its length, when not longer, else by repacking the page. False when the page
// lacks room.
bool ReplaceOnPage(PageCache& cache, const TableDef& def, PageNumber number, int slot,
                   const StoredColumns& columns, const std::string& bytes) {
  PageRef current = cache.Read(number);
  std::vector<SlotRow> rows = ReadSlotRows(*current, cache);
  SlotRow& row = rows[static_cast<size_t>(slot)];
  if (bytes.size() <= row.bytes.size()) {
    // The same length: no other row moves.
    const std::string padded = BuildRow(def, columns, row.bytes.size());
    const RowSlot where = ReadSlot(*current, slot, cache);
    Page& page = cache.Modify(number);
    std::memcpy(page.bytes.data() + where.offset, padded.data(), padded.size());
    return true;
  }
  if (FreeSpace(*current) < bytes.size() - row.bytes.size()) return false;
  row.bytes = bytes;
  PackSlotRows(cache.Modify(number), rows, cache);
  return true;
}

void StorePointer(PageCache& cache, RowPointer header, RowPointer target) {
  PageRef current = cache.Read(header.page);
  const RowSlot slot = ReadSlot(*current, header.row, cache);
  Page& page = cache.Modify(header.page);
  StoreU32(page.bytes.data() + slot.offset, target.Word());
  uint8_t* word = page.bytes.data() + kDataPageHeader + 2 * header.row;
  StoreU16(word, static_cast<uint16_t>(LoadU16(word) | kSlotOverflowFlag));
}

}  // namespace

RowPointer PlaceRow(PageCache& cache, uint32_t owner, RowPointer owned, RowPointer free_space,
                    std::string_view bytes, uint16_t slot_flags) {
  PageNumber page = FindRoom(cache, free_space, owner, bytes.size());
  if (page == 0) page = NewDataPage(cache, owner, owned, free_space);
  return AddRowToPage(cache, page, bytes, slot_flags);
}

RowPointer InsertRow(PageCache& cache, const TableDef& def, std::string_view bytes,
                     uint16_t slot_flags) {
  RequireRowSize(cache, bytes.size());
  return PlaceRow(cache, def.page, def.owned_pages, def.free_space, bytes, slot_flags);
}

void ReplaceRow(PageCache& cache, const TableDef& def, RowPointer where,
                const StoredColumns& columns) {
  const std::string bytes = BuildRow(def, columns);
  RequireRowSize(cache, bytes.size());
  PageRef header_page = cache.Read(where.page);
  const RowSlot header = ReadSlot(*header_page, where.row, cache);
  if (header.deleted) throw Error(cache.Where(where.page) + "the row to replace is deleted");
  const RowLocation data = LocateRow(cache, RowLocation{header_page, where, header});
  if (ReplaceOnPage(cache, def, data.where.page, data.where.row, columns, bytes)) return;
  if (header.length < 4) throw Error(cache.Where(where.page) + "row too short to point elsewhere");
  // Too long for where it is: the data goes to a new row of its own, hidden from scans, and the
  // header slot points to it. An old target stays behind, deleted.
  const RowPointer target = InsertRow(cache, def, bytes, kSlotDeletedFlag);
  if (target.page != where.page) cache.Flush();
  StorePointer(cache, where, target);
}

}  // namespace jet
