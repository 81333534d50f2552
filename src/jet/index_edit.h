#ifndef MDBTOMYSQL_JET_INDEX_EDIT_H_
#define MDBTOMYSQL_JET_INDEX_EDIT_H_

#include <vector>

#include "jet/data_page.h"
#include "jet/index.h"
#include "jet/page_cache.h"

namespace jet {

// Removes the entries of `rows` from the tree of `index` (of the table whose TDEF is at
// `table_def`), writing through `cache` one page per step: first the leaf, then each node whose
// entry for it changes, bottom up. After every step the tree is sound: a node entry may be left
// greater than its child's greatest entry, which still guides every search.
//
// Everything is checked before the first write: each row's entry is found by its row pointer (a
// row with no entry counts as removed already, so that a stopped drop can be run again), and a
// leaf that would become empty while it is not the root makes the whole call throw jet::Error
// without writing (unlinking pages from a tree is not done here).
void RemoveIndexEntries(PageCache& cache, const RealIndex& index, PageNumber table_def,
                        const std::vector<RowPointer>& rows);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_INDEX_EDIT_H_
