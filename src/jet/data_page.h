#ifndef MDBTOMYSQL_JET_DATA_PAGE_H_
#define MDBTOMYSQL_JET_DATA_PAGE_H_

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
  bool deleted = false;   // 0x8000: skipped by table scans (also the target of an overflow row)
  bool overflow = false;  // 0x4000: the row's first 4 bytes point to where its data really is
};

// Number of slots on a data page (offset 12). Throws jet::Error if the slot table would not fit.
int SlotCount(const Page& page, const PageCache& cache);

// Reads slot `slot` of a data page. Rows are packed downwards in slot order, so a row ends where
// the previous slot's row begins (or at the end of the page for slot 0). Throws jet::Error if
// the slot does not exist or its offsets lie outside the page.
RowSlot ReadSlot(const Page& page, int slot, const PageCache& cache);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_DATA_PAGE_H_
