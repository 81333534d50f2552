#ifndef MDBTOMYSQL_JET_DATA_PAGE_H_
#define MDBTOMYSQL_JET_DATA_PAGE_H_

#include <cstddef>
#include <cstdint>

#include "jet/page_cache.h"

namespace jet {

// Page types (byte 0 of every page).
enum PageType : uint8_t {
  kPageHeader = 0x00,
  kPageData = 0x01,  // table rows, long values, usage-map rows
  kPageTableDef = 0x02,
  kPageIndexNode = 0x03,
  kPageIndexLeaf = 0x04,
  kPageUsageMap = 0x05,
};

// The header of a data page (jet4-notes §1.5): free space at offset 2, the owner at 4, the
// number of slots at 12, then the slot table, one 2-byte word per row (§4.1).
constexpr size_t kDataPageFreeSpace = 2;
constexpr size_t kDataPageOwner = 4;
constexpr size_t kDataPageSlotCount = 12;
constexpr size_t kDataPageHeader = 14;
constexpr size_t kEmptyDataPageSpace = kPageSize - kDataPageHeader;  // 4082
constexpr int kMaxSlotsPerPage = 255;
// A slot word: the row's offset in its low 13 bits, and two flags.
constexpr uint16_t kSlotOffsetMask = 0x1FFF;
constexpr uint16_t kSlotDeletedFlag = 0x8000;   // skipped by scans; also a moved row's data
constexpr uint16_t kSlotOverflowFlag = 0x4000;  // the row's first 4 bytes point to its data
// The owner of long-value pages: "LVAL" where a table's data pages name their TDEF page.
constexpr uint32_t kLongValueOwner = 0x4C41564C;

// A row pointer "(row, page)": byte 0 = slot, bytes 1..3 = page; as one LE word page << 8 | row.
struct RowPointer {
  PageNumber page = 0;
  uint8_t row = 0;

  static RowPointer FromWord(uint32_t word) {
    return RowPointer{word >> 8, static_cast<uint8_t>(word & 0xFF)};
  }
  // The pointer as stored, and as a key that orders and identifies rows.
  uint32_t Word() const { return page << 8 | row; }
  bool IsNull() const { return page == 0 && row == 0; }
};

// One slot of a data page's row offset table, checked against the page.
struct RowSlot {
  uint16_t offset = 0;  // first byte of the row within the page
  uint16_t length = 0;
  bool deleted = false;   // kSlotDeletedFlag
  bool overflow = false;  // kSlotOverflowFlag
};

// The owner of data page `page`: its table's first TDEF page, kLongValueOwner, or 0 for pages
// that hold usage maps.
uint32_t DataPageOwner(const Page& page);

// Free bytes of data page `page`: what a new row and its slot may use.
uint16_t FreeSpace(const Page& page);

// Number of slots on a data page. Throws jet::Error if the slot table would not fit.
int SlotCount(const Page& page, const PageCache& cache);

// Reads slot `slot` of a data page. Rows are packed downwards in slot order, so a row ends where
// the previous slot's row begins (or at the end of the page for slot 0). Throws jet::Error if
// the slot does not exist or its offsets lie outside the page.
RowSlot ReadSlot(const Page& page, int slot, const PageCache& cache);

// Where the bytes of a row are: the page (held), the slot and its place there.
struct RowLocation {
  PageRef page;
  RowPointer where;
  RowSlot slot;

  const uint8_t* bytes() const { return page->data() + slot.offset; }
};

// Finds the bytes of the row whose header slot is `header` (the slot indexes and cursors name).
// A moved row's header holds a pointer to where its data went, which may itself have moved
// again (jet4-notes §4.4); the pointers are followed, at most 64 of them. Throws jet::Error for
// a pointer cut short or leading outside the file or to a page that is not a data page, and for
// a longer chain (a loop).
RowLocation LocateRow(PageCache& cache, RowPointer header);
// The same from a header slot already read (a cursor's).
RowLocation LocateRow(PageCache& cache, RowLocation header);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_DATA_PAGE_H_
