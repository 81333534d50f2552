#include "jet/table_cursor.h"

#include "jet/data_page.h"

namespace jet {

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
      if (page->type() != kPageData || DataPageOwner(*page) != def_->page) continue;
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
        const RowPointer header{page_->number, static_cast<uint8_t>(slot_ - 1)};
        RowLocation moved = LocateRow(cache_, RowLocation{page_, header, slot});
        data = moved.bytes();
        length = moved.slot.length;
        where = moved.where.page;
        moved_page_ = std::move(moved.page);
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

}  // namespace jet
