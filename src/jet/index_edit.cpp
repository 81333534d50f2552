#include "jet/index_edit.h"

#include <algorithm>
#include <map>
#include <set>

#include "jet/error.h"
#include "jet/index_key.h"
#include "jet/index_page.h"
#include "jet/index_rebuild.h"
#include "jet/table_def_edit.h"

namespace jet {
namespace {

constexpr int kMaxDepth = 32;

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
      if (e.row.Word() == row) {
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

std::string PointerBytes(RowPointer row) {
  std::string out;
  out += static_cast<char>(row.page >> 16);
  out += static_cast<char>(row.page >> 8);
  out += static_cast<char>(row.page);
  out += static_cast<char>(row.row);
  return out;
}

// True when every key column's segment is the single NULL byte.
bool NullKey(const RealIndex& index, const std::string& key) {
  if (key.size() != index.columns.size()) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    if (key[i] != (index.columns[i].ascending ? '\x00' : '\xFF')) return false;
  }
  return true;
}

bool ByBytes(const IndexEntry& a, const IndexEntry& b) { return a.bytes < b.bytes; }

// Where one new entry goes: its leaf, and the node entries on the way down that must be raised
// to it because it becomes the greatest entry below them.
struct Placement {
  PageNumber leaf = 0;
  std::vector<std::pair<PageNumber, size_t>> raises;
};

Placement Place(PageCache& cache, PageNumber root, const std::string& bytes) {
  Placement out;
  PageNumber page = root;
  for (int depth = 0;; ++depth) {
    if (depth > kMaxDepth) throw Error(cache.Where(page) + "index tree is too deep (a loop?)");
    IndexPage node = DecodeIndexPage(*cache.Read(page), cache);
    if (node.leaf) {
      out.leaf = page;
      return out;
    }
    auto it = std::find_if(node.entries.begin(), node.entries.end(),
                           [&](const IndexEntry& e) { return !(e.bytes < bytes); });
    if (it != node.entries.end()) {
      page = it->child;
    } else if (node.tail != 0) {
      page = node.tail;
    } else if (!node.entries.empty()) {
      out.raises.emplace_back(page, node.entries.size() - 1);
      page = node.entries.back().child;
    } else {
      throw Error(cache.Where(page) + "index node page has no children");
    }
  }
}

// Adds `entries` leaf by leaf when each leaf (and each raised node) still has room. False, having
// written nothing, when one does not.
bool InsertInPlace(PageCache& cache, const RealIndex& index, const std::vector<IndexEntry>& entries) {
  std::map<PageNumber, IndexPage> leaves;
  std::map<PageNumber, IndexPage> nodes;
  for (const IndexEntry& e : entries) {
    Placement place = Place(cache, index.root, e.bytes);
    auto leaf = leaves.find(place.leaf);
    if (leaf == leaves.end()) {
      leaf = leaves.emplace(place.leaf, DecodeIndexPage(*cache.Read(place.leaf), cache)).first;
    }
    leaf->second.entries.push_back(e);
    for (const auto& [page, position] : place.raises) {
      auto node = nodes.find(page);
      if (node == nodes.end()) {
        node = nodes.emplace(page, DecodeIndexPage(*cache.Read(page), cache)).first;
      }
      IndexEntry& bound = node->second.entries[position];
      if (bound.bytes < e.bytes) {
        bound.bytes = e.bytes;
        bound.row = e.row;
      }
    }
  }
  for (auto& [number, page] : leaves) {
    std::sort(page.entries.begin(), page.entries.end(), ByBytes);
    if (EncodedSize(page.entries, true) > kIndexEntrySpace) return false;
  }
  for (auto& [number, page] : nodes) {
    if (EncodedSize(page.entries, false) > kIndexEntrySpace) return false;
  }
  // Raised bounds first: a bound above everything below it still guides every search.
  for (const auto& [number, page] : nodes) {
    EncodeIndexPage(page, cache.Modify(number).bytes.data());
    cache.Flush();
  }
  for (const auto& [number, page] : leaves) {
    EncodeIndexPage(page, cache.Modify(number).bytes.data());
    cache.Flush();
  }
  return true;
}

}  // namespace

std::vector<size_t> AllIndexes(const TableDef& def) {
  std::vector<size_t> order(def.real_indexes.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  return order;
}

void RemoveIndexEntries(PageCache& cache, const RealIndex& index, PageNumber table_def,
                        const std::vector<RowPointer>& rows) {
  // Plan: which leaf loses how many entries.
  struct Removal {
    uint32_t row;
    PageNumber leaf;
  };
  std::vector<Removal> removals;
  std::map<PageNumber, size_t> losses;
  bool empties_a_leaf = false;
  for (RowPointer r : rows) {
    std::vector<Step> path;
    PageNumber leaf = 0;
    if (!FindRow(cache, index.root, r.Word(), 0, &path, &leaf)) continue;
    removals.push_back(Removal{r.Word(), leaf});
    ++losses[leaf];
  }
  for (const auto& [leaf, lost] : losses) {
    IndexPage page = DecodeIndexPage(*cache.Read(leaf), cache);
    if (page.table_def != table_def) {
      throw Error(cache.Where(leaf) + "index page belongs to another table");
    }
    if (lost >= page.entries.size() && leaf != index.root) empties_a_leaf = true;
  }
  if (empties_a_leaf) {
    // Taking a page out of the tree in place would touch its parent and both neighbours at
    // once: build the tree anew instead, with the root written as the one switching step.
    IndexTree tree = ReadIndexTree(cache, index, table_def);
    std::set<uint32_t> gone;
    for (const Removal& removal : removals) gone.insert(removal.row);
    std::vector<IndexEntry> kept;
    for (IndexEntry& e : tree.entries) {
      if (gone.count(e.row.Word()) == 0) kept.push_back(std::move(e));
    }
    RebuildIndexTree(cache, index, table_def, tree, std::move(kept));
    return;
  }

  for (const Removal& removal : removals) {
    std::vector<Step> path;
    PageNumber leaf_number = 0;
    if (!FindRow(cache, index.root, removal.row, 0, &path, &leaf_number)) continue;
    IndexPage leaf = DecodeIndexPage(*cache.Read(leaf_number), cache);
    for (auto it = leaf.entries.begin(); it != leaf.entries.end(); ++it) {
      if (it->row.Word() == removal.row) {
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


std::optional<IndexEntry> IndexEntryForRow(const TableDef& def, const RealIndex& index,
                                           const std::vector<Value>& values, RowPointer row) {
  if (index.ignore_nulls() && KeyIsNull(def, index, values)) return std::nullopt;
  std::optional<std::string> key = EncodeIndexKey(def, index, values);
  if (!key) {
    throw Error("the key of a row in index " + std::to_string(index.number) +
                " cannot be computed here (a text in another sort order or beyond U+FFFF, or a "
                "Decimal); nothing was written");
  }
  IndexEntry entry;
  entry.bytes = *key + PointerBytes(row);
  entry.row = row;
  return entry;
}

NewKeys CheckNewEntries(const PageCache& cache, const RealIndex& index, const IndexTree& tree,
                        const std::vector<IndexEntry>& entries, const std::set<uint32_t>& leaving) {
  std::set<uint32_t> rows;
  std::set<std::string> keys;
  for (const IndexEntry& e : tree.entries) {
    if (leaving.count(e.row.Word()) != 0) continue;
    rows.insert(e.row.Word());
    keys.insert(e.key());
  }
  NewKeys found;
  for (const IndexEntry& e : entries) {
    if (e.bytes.size() <= 4 || e.bytes.compare(e.bytes.size() - 4, 4, PointerBytes(e.row)) != 0) {
      throw Error(cache.file_name() + ": an index entry does not end in its row pointer");
    }
    if (!rows.insert(e.row.Word()).second) {
      throw Error(cache.file_name() + ": index " + std::to_string(index.number) +
                  " already holds an entry for the row at page " + std::to_string(e.row.page) +
                  " slot " + std::to_string(e.row.row) + "; nothing was written");
    }
    if (keys.insert(e.key()).second) {
      ++found.count;
    } else if (index.unique() && !NullKey(index, e.key())) {
      found.duplicate = true;
      return found;
    }
  }
  return found;
}

void InsertIndexEntries(PageCache& cache, const RealIndex& index, PageNumber table_def,
                        std::vector<IndexEntry> entries) {
  if (entries.empty()) return;
  std::sort(entries.begin(), entries.end(), ByBytes);
  IndexTree tree = ReadIndexTree(cache, index, table_def);
  const NewKeys keys = CheckNewEntries(cache, index, tree, entries);
  if (keys.duplicate) {
    throw Error(cache.file_name() + ": the value would be a duplicate in unique index " +
                std::to_string(index.number) + "; nothing was written");
  }

  if (!InsertInPlace(cache, index, entries)) {
    std::vector<IndexEntry> all = std::move(tree.entries);
    all.insert(all.end(), entries.begin(), entries.end());
    std::sort(all.begin(), all.end(), ByBytes);
    RebuildIndexTree(cache, index, table_def, tree, std::move(all));
  }

  if (keys.count == 0) return;
  AddToUniqueEntries(cache, table_def, index.number, keys.count);
  cache.Flush();
}

}  // namespace jet
