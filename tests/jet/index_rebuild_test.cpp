// Rebuilding an index tree: the new tree holds exactly the entries given, in order, on pages
// with room left, under the same root; the pages it no longer needs leave its map and are free.
#include "jet/index_rebuild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "jet/append_rows.h"
#include "jet/index_edit.h"
#include "jet/row.h"
#include "jet/write_guard.h"
#include "page_images.h"
#include "support/test_files.h"
#include "write_checks.h"

namespace {

bool ByBytes(const jet::IndexEntry& a, const jet::IndexEntry& b) { return a.bytes < b.bytes; }

TEST(RebuildIndexTree, HoldsTheEntriesGivenUnderTheSameRootAndFreesWhatItLeaves) {
  const std::string path = writetest::WritableVelda("index_rebuild");
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::WriteGuard guard(db);
  jet::PageCache& cache = db.cache();
  const jet::TableDef def = db.GetTableDef("tblEmployee");
  const jet::RealIndex& index = def.real_indexes[0];  // PrimaryKey: EmpID
  const jet::IndexTree original = jet::ReadIndexTree(cache, index, def.page);
  ASSERT_EQ(original.pages.size(), 1u) << "the sample's index is one leaf";

  // 600 more rows, their entries not in the index yet.
  std::vector<jet::StoredColumns> rows;
  std::vector<std::vector<jet::Value>> values;
  for (int i = 0; i < 600; ++i) {
    std::vector<jet::Value> v(def.columns.size());
    v[def.ColumnIndex("EmpID")] = int64_t{30000 + (i * 7) % 600};
    v[def.ColumnIndex("Active")] = true;
    rows.push_back(jet::EncodeRow(def, v));
    values.push_back(v);
  }
  const std::vector<jet::RowPointer> placed = jet::AppendRows(cache, def, rows, {});
  std::vector<jet::IndexEntry> all = original.entries;
  for (size_t i = 0; i < placed.size(); ++i) {
    all.push_back(*jet::IndexEntryForRow(def, index, values[i], placed[i]));
  }
  std::sort(all.begin(), all.end(), ByBytes);

  jet::RebuildIndexTree(cache, index, def.page, original, all);
  const jet::IndexTree grown = jet::ReadIndexTree(cache, index, def.page);
  ASSERT_EQ(grown.entries.size(), all.size());
  for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(grown.entries[i].bytes, all[i].bytes) << i;
  EXPECT_EQ(grown.pages.front(), index.root) << "the root keeps its page";
  EXPECT_EQ(cache.Read(index.root)->type(), jet::kPageIndexNode);
  EXPECT_GE(grown.leaves.size(), 2u);
  const std::vector<jet::PageNumber> in_map = pagetest::MapPages(cache, index.usage_map);
  for (jet::PageNumber p : grown.pages) {
    EXPECT_TRUE(std::count(in_map.begin(), in_map.end(), p)) << "page " << p << " in the map";
    EXPECT_FALSE(pagetest::MarkedFree(cache, p)) << "page " << p << " in use";
  }
  for (jet::PageNumber leaf : grown.leaves) {
    const jet::IndexPage page = jet::DecodeIndexPage(*cache.Read(leaf), cache);
    EXPECT_LE(jet::EncodedSize(page.entries, true), jet::kIndexEntrySpace * 3 / 4)
        << "room left on leaf " << leaf;
  }

  // Back to the sample's entries: one leaf again, every other page out of the map and free.
  jet::RebuildIndexTree(cache, index, def.page, grown, original.entries);
  const jet::IndexTree shrunk = jet::ReadIndexTree(cache, index, def.page);
  EXPECT_EQ(shrunk.pages, (std::vector<jet::PageNumber>{index.root}));
  EXPECT_EQ(cache.Read(index.root)->type(), jet::kPageIndexLeaf);
  EXPECT_EQ(pagetest::MapPages(cache, index.usage_map), (std::vector<jet::PageNumber>{index.root}));
  for (jet::PageNumber p : grown.pages) {
    if (p != index.root) {
      EXPECT_TRUE(pagetest::MarkedFree(cache, p)) << "page " << p;
    }
  }
}

TEST(RebuildIndexTree, RefusesAnEntryTooLongForAPageBeforeWriting) {
  const std::string path = writetest::WritableVelda("index_rebuild_refused");
  const std::string before = testenv::FileBytes(path);
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::WriteGuard guard(db);
    const jet::TableDef def = db.GetTableDef("tblEmployee");
    const jet::IndexTree tree = jet::ReadIndexTree(db.cache(), def.real_indexes[0], def.page);
    std::vector<jet::IndexEntry> entries = tree.entries;
    entries.back().bytes = std::string(jet::kIndexEntrySpace + 1, '\x7F');
    EXPECT_THROW(jet::RebuildIndexTree(db.cache(), def.real_indexes[0], def.page, tree, entries),
                 jet::Error);
  }
  EXPECT_EQ(testenv::FileBytes(path), before);
}

}  // namespace
