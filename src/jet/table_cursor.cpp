#include "jet/table_cursor.h"

#include "jet/byte_order.h"
#include "jet/data_page.h"
#include "jet/error.h"

namespace jet {
namespace {

// Access moves a row again when it grows again; real chains are short.
constexpr int kMaxOverflowHops = 64;

}  // namespace

TableCursor::TableCursor(PageCache& cache, std::shared_ptr<const TableDef> def)
    : cache_(cache),
      def_(std::move(def)),
      owned_pages_(UsageMap::Load(cache, def_->owned_pages)),
      decoder_(cache, *def_) {}

bool TableCursor::Next() {
  while (!done_) {
    if (!page_) {
      std::optional<PageNumber> next = owned_pages_.NextPage(next_page_);
      if (!next) {
        done_ = true;
        break;
      }
      next_page_ = *next + 1;
      PageRef page = cache_.Read(*next);
      // The map may list pages that were given to other owners since; only our data pages count.
      if (page->type() != kPageData || LoadU32(page->data() + 4) != def_->page) continue;
      page_ = std::move(page);
      slot_ = 0;
      slot_count_ = SlotCount(*page_, cache_);
    }
    while (slot_ < slot_count_) {
      RowSlot slot = ReadSlot(*page_, slot_++, cache_);
      if (slot.deleted) continue;
      const uint8_t* data = page_->data() + slot.offset;
      size_t length = slot.length;
      PageNumber where = page_->number;
      if (slot.overflow) {
        FollowOverflow(data, length, &data, &length);
        where = overflow_page_->number;
      }
      decoder_.Decode(data, length, where, &values_);
      row_data_ = data;
      row_length_ = length;
      row_page_ = where;
      return true;
    }
    page_.reset();
  }
  return false;
}

void TableCursor::FollowOverflow(const uint8_t* header, size_t header_length, const uint8_t** data,
                                 size_t* length) {
  PageNumber from = page_->number;
  for (int hop = 0; hop < kMaxOverflowHops; ++hop) {
    if (header_length < 4) {
      throw Error(cache_.Where(from) + "moved row's pointer is cut short");
    }
    RowPointer target = RowPointer::FromWord(LoadU32(header));
    if (target.page == 0 || target.page >= cache_.page_count()) {
      throw Error(cache_.Where(from) + "moved row points to page " + std::to_string(target.page) +
                  ", outside the file");
    }
    overflow_page_ = cache_.Read(target.page);
    if (overflow_page_->type() != kPageData) {
      throw Error(cache_.Where(target.page) + "moved row points to a page of type " +
                  std::to_string(overflow_page_->type()) + ", not a data page");
    }
    RowSlot slot = ReadSlot(*overflow_page_, target.row, cache_);
    header = overflow_page_->data() + slot.offset;
    header_length = slot.length;
    if (!slot.overflow) {
      *data = header;
      *length = header_length;
      return;
    }
    from = target.page;
  }
  throw Error(cache_.Where(page_->number) + "moved row is moved more than " +
              std::to_string(kMaxOverflowHops) + " times (a loop?)");
}

}  // namespace jet
