#ifndef MDBTOMYSQL_JET_INDEX_REBUILD_H_
#define MDBTOMYSQL_JET_INDEX_REBUILD_H_

#include <vector>

#include "jet/index.h"
#include "jet/index_page.h"
#include "jet/page_cache.h"

namespace jet {

// Replaces the whole tree of `index` (of the table whose TDEF is at `table_def`), which
// `old_tree` holds, by one holding leaf `entries` (in key order), with room left on each page
// for later inserts. The root keeps its page number. The steps, each durable before the next:
// the new pages below the root are allocated and written; they are added to the index's page
// map; the root is rewritten (the one step that switches from the old tree to the new); the
// old pages below the root leave the map; they are freed. After a stop at any step the old or
// the new tree is whole; pages of the other are only unreachable. Throws jet::Error, having
// written nothing, for an entry too long for a page.
void RebuildIndexTree(PageCache& cache, const RealIndex& index, PageNumber table_def,
                      const IndexTree& old_tree, std::vector<IndexEntry> entries);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_INDEX_REBUILD_H_
