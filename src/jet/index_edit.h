#ifndef MDBTOMYSQL_JET_INDEX_EDIT_H_
#define MDBTOMYSQL_JET_INDEX_EDIT_H_

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "jet/data_page.h"
#include "jet/index.h"
#include "jet/index_page.h"
#include "jet/page_cache.h"
#include "jet/table_def.h"
#include "jet/value.h"

namespace jet {

// The positions in def.real_indexes of every index of `def`, in order: the order in which a write
// edits them unless it has reason for another.
std::vector<size_t> AllIndexes(const TableDef& def);

// Removes the entries of `rows` from the tree of `index` (of the table whose TDEF is at
// `table_def`), writing through `cache` one page per step: first the leaf, then each node whose
// entry for it changes, bottom up. After every step the tree is sound: a node entry may be left
// greater than its child's greatest entry, which still guides every search.
//
// Everything is checked before the first write: each row's entry is found by its row pointer (a
// row with no entry counts as removed already, so that a stopped drop can be run again). When a
// leaf other than the root would become empty, the tree is rebuilt without the entries instead,
// as RebuildIndexTree does.
void RemoveIndexEntries(PageCache& cache, const RealIndex& index, PageNumber table_def,
                        const std::vector<RowPointer>& rows);

// The leaf entry of the row at `row` (values in the order of def.columns) in `index`: its key
// and row pointer. Nothing when the row stays out of the index (an index that ignores nulls, every
// key column NULL). Throws jet::Error when the key cannot be computed here (a text in another
// sort order, a character beyond U+FFFF, a Decimal): a guessed key would corrupt the index.
std::optional<IndexEntry> IndexEntryForRow(const TableDef& def, const RealIndex& index,
                                           const std::vector<Value>& values, RowPointer row);

// What adding leaf `entries` (as IndexEntryForRow builds them) to `index` does to its keys,
// judged against its `tree` without the entries of the rows in `leaving` (an update takes a
// row's old entry out before its new one goes in).
struct NewKeys {
  uint32_t count = 0;      // keys the index does not hold yet (up to a duplicate)
  bool duplicate = false;  // a unique index would hold a key twice; all-NULL keys may repeat
};
// Stops at the first duplicate. Throws jet::Error for an entry that does not end in its row
// pointer, or for a row that already has an entry.
NewKeys CheckNewEntries(const PageCache& cache, const RealIndex& index, const IndexTree& tree,
                        const std::vector<IndexEntry>& entries,
                        const std::set<uint32_t>& leaving = {});

// Adds leaf `entries` (key bytes + row pointer, as IndexEntryForRow builds them) to the tree of
// `index` of the table whose TDEF is at `table_def`, in key order, and raises the index's
// unique-entry count in the TDEF by the number of keys it did not hold before.
//
// Refused with jet::Error before anything is written (CheckNewEntries): an entry for a row that
// already has one, and, in a unique index, a key that is already there or comes twice in
// `entries` (entries whose key columns are all NULL excepted, as Jet allows).
//
// When every entry fits on the leaf it belongs to, that leaf is rewritten (one page per step;
// node entries on the way are raised first where the entry becomes the greatest below them, a
// bound that still guides every search). Otherwise the tree is rebuilt with every entry
// (RebuildIndexTree, which says how a stop at any step leaves the old tree or the new). The
// unique-entry count is raised last. The caller's WriteGuard must be held.
void InsertIndexEntries(PageCache& cache, const RealIndex& index, PageNumber table_def,
                        std::vector<IndexEntry> entries);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_INDEX_EDIT_H_
