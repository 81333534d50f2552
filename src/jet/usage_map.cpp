#include "jet/usage_map.h"

#include "jet/byte_order.h"
#include "jet/error.h"

namespace jet {

UsageMap UsageMap::Load(PageCache& cache, RowPointer where) {
  UsageMap map(&cache, where);
  if (where.page == 0 || where.page >= cache.page_count()) {
    throw Error(cache.file_name() + ": usage map at page " + std::to_string(where.page) +
                " lies outside the file");
  }
  PageRef page = cache.Read(where.page);
  if (page->type() != kPageData) {
    throw Error(cache.Where(where.page) +
                "expected a usage map row on a data page, found page type " +
                std::to_string(page->type()));
  }
  RowSlot slot = ReadSlot(*page, where.row, cache);
  if (slot.length < 1) {
    throw Error(cache.Where(where.page) + "usage map row " + std::to_string(where.row) +
                " is empty");
  }
  const uint8_t* row = page->data() + slot.offset;
  if (row[0] == kInlineMap) {
    if (slot.length < kInlineMapHeader) {
      throw Error(cache.Where(where.page) + "inline usage map row " + std::to_string(where.row) +
                  " is too short");
    }
    map.start_ = LoadU32(row + 1);
    map.bitmap_.assign(row + kInlineMapHeader, row + slot.length);
  } else if (row[0] == kReferenceMap) {
    map.inline_ = false;
    for (size_t i = 1; i + 4 <= slot.length; i += 4) map.bitmap_pages_.push_back(LoadU32(row + i));
  } else {
    throw Error(cache.Where(where.page) + "unknown usage map type " + std::to_string(row[0]) +
                " in row " + std::to_string(where.row));
  }
  return map;
}

std::optional<PageNumber> UsageMap::NextPage(PageNumber from) const {
  auto check = [this](uint64_t page) -> std::optional<PageNumber> {
    if (page >= cache_->page_count()) {
      throw Error(cache_->Where(where_.page) + "usage map lists page " + std::to_string(page) +
                  ", beyond the end of the file (" + std::to_string(cache_->page_count()) +
                  " pages)");
    }
    return static_cast<PageNumber>(page);
  };
  if (inline_) {
    uint64_t bit = from > start_ ? from - start_ : 0;
    uint64_t bits = static_cast<uint64_t>(bitmap_.size()) * 8;
    while (bit < bits) {
      uint8_t byte = bitmap_[bit / 8] >> (bit % 8);
      if (byte == 0) {
        bit = (bit / 8 + 1) * 8;
        continue;
      }
      if (byte & 1) return check(start_ + bit);
      ++bit;
    }
    return std::nullopt;
  }
  uint64_t page = from;
  while (true) {
    uint64_t index = page / kPagesPerBitmapPage;
    if (index >= bitmap_pages_.size()) return std::nullopt;
    PageNumber holder = bitmap_pages_[index];
    if (holder == 0) {
      page = (index + 1) * kPagesPerBitmapPage;
      continue;
    }
    PageRef bitmap_page = cache_->Read(holder);
    if (bitmap_page->type() != kPageUsageMap) {
      throw Error(cache_->Where(holder) + "expected a usage map bitmap page, found page type " +
                  std::to_string(bitmap_page->type()));
    }
    const uint8_t* bits = bitmap_page->data() + kBitmapPageHeader;
    for (uint64_t bit = page - index * kPagesPerBitmapPage; bit < kPagesPerBitmapPage; ++bit) {
      if ((bits[bit / 8] >> (bit % 8)) & 1) return check(index * kPagesPerBitmapPage + bit);
    }
    page = (index + 1) * kPagesPerBitmapPage;
  }
}

}  // namespace jet
