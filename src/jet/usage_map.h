#ifndef MDBTOMYSQL_JET_USAGE_MAP_H_
#define MDBTOMYSQL_JET_USAGE_MAP_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "jet/data_page.h"
#include "jet/page_cache.h"

namespace jet {

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
