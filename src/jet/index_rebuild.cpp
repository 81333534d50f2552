#include "jet/index_rebuild.h"

#include <algorithm>
#include <set>
#include <string>

#include "jet/error.h"
#include "jet/page_allocator.h"
#include "jet/usage_map_edit.h"

namespace jet {
namespace {

// A rebuilt tree fills each page to about three quarters, so that the next inserts find room on
// their leaf instead of rebuilding again.
constexpr size_t kRebuildFill = kIndexEntrySpace * 3 / 4;

// Packs `entries` into pages of at most `fill` bytes each (one entry at least per page),
// keeping their order.
std::vector<std::vector<IndexEntry>> Pack(std::vector<IndexEntry> entries, bool leaf, size_t fill) {
  std::vector<std::vector<IndexEntry>> pages;
  std::vector<IndexEntry> current;
  std::string first;
  size_t prefix = 0;
  size_t total = 0;  // sum of the stored lengths of all but the first entry, unshortened
  for (IndexEntry& e : entries) {
    const size_t length = e.bytes.size() + (leaf ? 0 : 4);
    if (length > kIndexEntrySpace) {
      throw Error("an index entry of " + std::to_string(length) + " bytes does not fit a page");
    }
    if (!current.empty()) {
      const size_t limit = std::min(prefix, e.bytes.size() - 4);
      size_t common = 0;
      while (common < limit && e.bytes[common] == first[common]) ++common;
      const size_t size = first.size() + (leaf ? 0 : 4) + total + length -
                          current.size() * std::min(prefix, common);
      if (size <= fill) {
        prefix = std::min(prefix, common);
        total += length;
        current.push_back(std::move(e));
        continue;
      }
      pages.push_back(std::move(current));
      current.clear();
    }
    first = e.bytes;
    prefix = e.bytes.size() - 4;
    total = 0;
    current.push_back(std::move(e));
  }
  if (!current.empty()) pages.push_back(std::move(current));
  return pages;
}

// The pages of a new tree: the root, and the pages below it level by level from the leaves up.
struct NewTree {
  IndexPage root;
  std::vector<IndexPage> pages;
};

// One level of new pages holding `level` (one page's entries each), chained left to right.
// Returns what the level above holds: one entry per page, its greatest, pointing to it.
std::vector<IndexEntry> AddLevel(PageCache& cache, PageNumber table_def, bool leaf,
                                 std::vector<std::vector<IndexEntry>> level, NewTree* tree) {
  std::vector<IndexEntry> above;
  const size_t first = tree->pages.size();
  for (std::vector<IndexEntry>& content : level) {
    IndexPage page;
    page.number = AllocatePage(cache);
    page.leaf = leaf;
    page.table_def = table_def;
    IndexEntry bound = content.back();
    bound.child = page.number;
    if (!leaf && content.size() >= 2) {
      // A node keeps its last child as the tail, out of its entries.
      page.tail = content.back().child;
      content.pop_back();
    }
    page.entries = std::move(content);
    above.push_back(std::move(bound));
    tree->pages.push_back(std::move(page));
  }
  std::vector<IndexPage>& pages = tree->pages;
  for (size_t i = first; i < pages.size(); ++i) {
    pages[i].previous = i == first ? 0 : pages[i - 1].number;
    pages[i].next = i + 1 == pages.size() ? 0 : pages[i + 1].number;
  }
  return above;
}

// Lays out the tree holding `entries`, taking its pages below the root (modified, not written).
NewTree PlanTree(PageCache& cache, const RealIndex& index, PageNumber table_def,
                 std::vector<IndexEntry> entries) {
  NewTree tree;
  tree.root.number = index.root;
  tree.root.table_def = table_def;
  if (EncodedSize(entries, true) <= kIndexEntrySpace) {
    tree.root.entries = std::move(entries);
    return tree;
  }
  std::vector<std::vector<IndexEntry>> level = Pack(std::move(entries), true, kRebuildFill);
  for (bool leaf = true;; leaf = false) {
    std::vector<IndexEntry> above = AddLevel(cache, table_def, leaf, std::move(level), &tree);
    std::vector<IndexEntry> stored(above.begin(), above.end() - (above.size() >= 2 ? 1 : 0));
    if (EncodedSize(stored, false) <= kIndexEntrySpace) {
      tree.root.leaf = false;
      tree.root.tail = above.size() >= 2 ? above.back().child : 0;
      tree.root.entries = std::move(stored);
      return tree;
    }
    level = Pack(std::move(above), false, kRebuildFill);
  }
}

}  // namespace

void RebuildIndexTree(PageCache& cache, const RealIndex& index, PageNumber table_def,
                      const IndexTree& old_tree, std::vector<IndexEntry> entries) {
  const NewTree tree = PlanTree(cache, index, table_def, std::move(entries));

  // The new pages, whole, before anything refers to them; then the index's page map; then the
  // root, which switches to the new tree.
  for (const IndexPage& page : tree.pages) {
    Page& image = cache.Modify(page.number);
    image.bytes.fill(0);
    EncodeIndexPage(page, image.bytes.data());
  }
  cache.Flush();
  for (const IndexPage& page : tree.pages) AddToUsageMap(cache, index.usage_map, page.number);
  cache.Flush();
  Page& root_image = cache.Modify(index.root);
  EncodeIndexPage(tree.root, root_image.bytes.data());
  cache.Flush();

  // The old tree's pages below the root are no one's now: out of the map, then free.
  std::set<PageNumber> old_pages(old_tree.pages.begin(), old_tree.pages.end());
  old_pages.erase(index.root);
  if (old_pages.empty()) return;
  for (PageNumber p : old_pages) RemoveFromUsageMap(cache, index.usage_map, p);
  cache.Flush();
  FreePages(cache, old_pages);
  cache.Flush();
}

}  // namespace jet
