#ifndef MDBTOMYSQL_JET_USAGE_MAP_EDIT_H_
#define MDBTOMYSQL_JET_USAGE_MAP_EDIT_H_

#include "jet/data_page.h"
#include "jet/page_cache.h"

namespace jet {

// Adds page `page` to the usage map whose row is at `map` (a table's owned or free-space pages,
// an index's pages, a long-value column's pages). An inline map whose window does not reach the
// page moves its window when all its pages still fit, else becomes a reference map with bitmap
// pages of its own (allocated here). Only modifies pages; the caller's Flush() writes them, the
// new bitmap pages before the map's row. Throws jet::Error, having modified nothing, when the
// row is damaged or too short to hold the reference the page needs.
void AddToUsageMap(PageCache& cache, RowPointer map, PageNumber page);

// Removes page `page` from the usage map at `map`; a page the map does not hold is fine.
void RemoveFromUsageMap(PageCache& cache, RowPointer map, PageNumber page);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_USAGE_MAP_EDIT_H_
