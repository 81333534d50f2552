#ifndef MDBTOMYSQL_JET_USAGE_MAP_H_
#define MDBTOMYSQL_JET_USAGE_MAP_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "jet/data_page.h"
#include "jet/page_cache.h"

namespace jet {

// The rows of usage maps (jet4-notes §2.1): type 0, inline, is [0][start page: 4][bitmap], bit k
// standing for page start + k; type 1, reference, is [1][bitmap page: 4]..., bitmap page i
// ([05 01 00 00][bitmap]) standing for pages from i * kPagesPerBitmapPage.
constexpr uint8_t kInlineMap = 0;
constexpr uint8_t kReferenceMap = 1;
constexpr size_t kInlineMapHeader = 5;
constexpr size_t kBitmapPageHeader = 4;
constexpr PageNumber kPagesPerBitmapPage = (kPageSize - kBitmapPageHeader) * 8;  // 32736
// The size of the map rows Access writes: 64 bitmap bytes, 512 pages.
constexpr size_t kAccessMapRowSize = 69;

// A set of page numbers stored as a bitmap row on a data page: a table's owned or free-space
// pages, an index's pages, a long-value column's pages. Two kinds exist: inline (type 0: start
// page + bitmap in the row itself) and reference (type 1: the row lists bitmap pages of type 0x05,
// each covering 32736 pages).
class UsageMap {
 public:
  // Loads the map whose row is at `where`. Throws jet::Error if the row is missing or malformed.
  static UsageMap Load(PageCache& cache, RowPointer where);

  // The smallest page number >= `from` that is in the map, or nothing. Pages at or beyond the
  // end of the file are reported as damage (jet::Error), never returned.
  std::optional<PageNumber> NextPage(PageNumber from) const;

  // A reference map's bitmap pages (type 0x05), which belong to the map's owner; 0 = none yet.
  // Empty for an inline map.
  const std::vector<PageNumber>& bitmap_pages() const { return bitmap_pages_; }

 private:
  UsageMap(PageCache* cache, RowPointer where) : cache_(cache), where_(where) {}

  PageCache* cache_;
  RowPointer where_;
  bool inline_ = true;
  PageNumber start_ = 0;                  // inline: page of bit 0
  std::vector<uint8_t> bitmap_;           // inline: the bits
  std::vector<PageNumber> bitmap_pages_;  // reference: page holding bits for i*32736.., 0 = none
};

}  // namespace jet

#endif  // MDBTOMYSQL_JET_USAGE_MAP_H_
