#ifndef MDBTOMYSQL_JET_PAGE_ALLOCATOR_H_
#define MDBTOMYSQL_JET_PAGE_ALLOCATOR_H_

#include <set>

#include "jet/page_cache.h"

namespace jet {

// Pages are handed out and taken back through the global usage map (page 1, row 0), in which a
// set bit means the page is free (jet4-notes §2.3).
constexpr PageNumber kGlobalMapPage = 1;

// Takes a page for a new use: the lowest free page inside the file if there is one, else a new
// page at the end of the file (the map's row grows by 32 pages when the end passes what it
// covers). The page's bit is cleared and the page is returned zeroed and modified in `cache`,
// ready to be filled; nothing is written before the caller's Flush(). For a new page at the end,
// the page comes before the map page in the write order, so a stop between the two leaves a
// free page, never an in-use page beyond the end of the file.
//
// Throws jet::Error, having modified nothing, when the global map is not an inline map (files
// above about 128 MB) or cannot grow on its page.
PageNumber AllocatePage(PageCache& cache);

// Marks `pages` free in the global usage map. Pages outside the map's window stay in use: a leak,
// never a page given out twice. Modifies page 1 only; the caller flushes.
void FreePages(PageCache& cache, const std::set<PageNumber>& pages);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_PAGE_ALLOCATOR_H_
