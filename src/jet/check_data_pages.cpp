// A table's data pages beyond their rows: the header fields that the writers trust when they
// place a row, and the slots that only some readers skip.
#include <vector>

#include "jet/byte_order.h"
#include "jet/check_parts.h"

namespace jet {
namespace {

constexpr size_t kSlotTable = 14;
constexpr uint16_t kOffsetMask = 0x1FFF;
constexpr uint16_t kDeleted = 0x8000;
constexpr uint16_t kMoved = 0x4000;
// A row pointer holds the slot in one byte.
constexpr int kMaxSlots = 256;

std::string Slot(PageNumber page, int slot) {
  return "row page " + std::to_string(page) + " slot " + std::to_string(slot);
}

}  // namespace

void DataPageCheck::AddPage(const Page& page) {
  const uint8_t* p = page.data();
  const std::string where = table_ + ": page " + std::to_string(page.number) + ": ";
  const int slots = LoadU16(p + 12);
  if (slots > kMaxSlots || kSlotTable + 2 * static_cast<size_t>(slots) > kPageSize) {
    report_->errors.push_back(where + std::to_string(slots) +
                              " row slots, more than a row pointer can address");
    return;
  }
  const size_t table_end = kSlotTable + 2 * static_cast<size_t>(slots);
  const size_t lowest = slots == 0 ? kPageSize : LoadU16(p + table_end - 2) & kOffsetMask;
  const uint16_t free_space = LoadU16(p + 2);
  if (lowest < table_end || free_space != lowest - table_end) {
    report_->errors.push_back(where + "the page says " + std::to_string(free_space) +
                              " bytes are free, its rows leave " +
                              std::to_string(lowest < table_end ? 0 : lowest - table_end));
  }
  for (int i = 0; i < slots; ++i) {
    const uint16_t word = LoadU16(p + kSlotTable + 2 * i);
    const uint16_t flags = word & (kDeleted | kMoved);
    if (flags == kDeleted) {
      hidden_.insert(page.number << 8 | static_cast<uint32_t>(i));
    } else if ((flags & kMoved) != 0) {  // a moved row, or a deleted one that had moved
      const size_t offset = word & kOffsetMask;
      if (offset + 4 <= kPageSize) moved_to_.insert(LoadU32(p + offset));
    }
  }
}

void DataPageCheck::Finish(size_t live_rows, uint32_t row_count) {
  std::vector<uint32_t> orphans;
  for (uint32_t row : hidden_) {
    if (moved_to_.count(row) == 0) orphans.push_back(row);
  }
  const bool lost = !orphans.empty() && live_rows + orphans.size() == row_count;
  for (uint32_t row : orphans) {
    const std::string text =
        table_ + ": " + Slot(row >> 8, static_cast<int>(row & 0xFF)) +
        " is marked as a moved row's data, but no row of the table has moved there";
    (lost ? report_->errors : report_->unreachable_rows).push_back(text);
  }
}

}  // namespace jet
