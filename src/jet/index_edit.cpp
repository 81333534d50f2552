#include "jet/index_edit.h"

#include <map>
#include <set>

#include "jet/error.h"
#include "jet/index_page.h"

namespace jet {
namespace {

constexpr int kMaxDepth = 32;

uint32_t Word(RowPointer p) { return p.page << 8 | p.row; }

// One step down from a node: the page, and which entry led on (-1: the tail).
struct Step {
  PageNumber page;
  int entry;
};

// Finds the leaf holding the entry of `row`, by walking the whole tree (catalogue indexes are a
// few pages). Fills `path` with the nodes above the leaf. False when no entry has that row.
bool FindRow(PageCache& cache, PageNumber page, uint32_t row, int depth, std::vector<Step>* path,
             PageNumber* leaf) {
  if (depth > kMaxDepth) throw Error(cache.Where(page) + "index tree is too deep (a loop?)");
  IndexPage decoded = DecodeIndexPage(*cache.Read(page), cache);
  if (decoded.leaf) {
    for (const IndexEntry& e : decoded.entries) {
      if (Word(e.row) == row) {
        *leaf = page;
        return true;
      }
    }
    return false;
  }
  for (int i = 0; i <= static_cast<int>(decoded.entries.size()); ++i) {
    const bool tail = i == static_cast<int>(decoded.entries.size());
    if (tail && decoded.tail == 0) break;
    PageNumber child = tail ? decoded.tail : decoded.entries[i].child;
    path->push_back(Step{page, tail ? -1 : i});
    if (FindRow(cache, child, row, depth + 1, path, leaf)) return true;
    path->pop_back();
  }
  return false;
}

}  // namespace

void RemoveIndexEntries(PageCache& cache, const RealIndex& index, PageNumber table_def,
                        const std::vector<RowPointer>& rows) {
  // Plan: which leaf loses how many entries.
  struct Removal {
    uint32_t row;
    PageNumber leaf;
  };
  std::vector<Removal> removals;
  std::map<PageNumber, size_t> losses;
  for (RowPointer r : rows) {
    std::vector<Step> path;
    PageNumber leaf = 0;
    if (!FindRow(cache, index.root, Word(r), 0, &path, &leaf)) continue;
    removals.push_back(Removal{Word(r), leaf});
    ++losses[leaf];
  }
  for (const auto& [leaf, lost] : losses) {
    IndexPage page = DecodeIndexPage(*cache.Read(leaf), cache);
    if (page.table_def != table_def) {
      throw Error(cache.Where(leaf) + "index page belongs to another table");
    }
    if (lost >= page.entries.size() && leaf != index.root) {
      throw Error(cache.Where(leaf) +
                  "removing these rows would empty an index page; nothing was written");
    }
  }

  for (const Removal& removal : removals) {
    std::vector<Step> path;
    PageNumber leaf_number = 0;
    if (!FindRow(cache, index.root, removal.row, 0, &path, &leaf_number)) continue;
    IndexPage leaf = DecodeIndexPage(*cache.Read(leaf_number), cache);
    for (auto it = leaf.entries.begin(); it != leaf.entries.end(); ++it) {
      if (Word(it->row) == removal.row) {
        leaf.entries.erase(it);
        break;
      }
    }
    EncodeIndexPage(leaf, cache.Modify(leaf_number).bytes.data());
    cache.Flush();
    if (leaf.entries.empty()) continue;  // the root, now an empty leaf

    // The subtree's greatest entry may have changed: carry it up while it is what a node holds.
    std::string greatest = leaf.entries.back().bytes;
    for (auto step = path.rbegin(); step != path.rend(); ++step) {
      IndexPage node = DecodeIndexPage(*cache.Read(step->page), cache);
      if (step->entry < 0) {
        // Reached through the tail: this node holds no entry for it, but its own greatest entry
        // is the tail's.
        continue;
      }
      IndexEntry& entry = node.entries[step->entry];
      if (entry.bytes == greatest) break;
      entry.bytes = greatest;
      EncodeIndexPage(node, cache.Modify(step->page).bytes.data());
      cache.Flush();
      const bool last = step->entry + 1 == static_cast<int>(node.entries.size());
      if (!last || node.tail != 0) break;
    }
  }
}

}  // namespace jet
