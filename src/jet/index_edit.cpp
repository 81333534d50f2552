#include "jet/index_edit.h"

#include <algorithm>
#include <map>
#include <set>

#include "jet/byte_order.h"
#include "jet/data_page_edit.h"
#include "jet/error.h"
#include "jet/index_key.h"
#include "jet/index_page.h"
#include "jet/page_allocator.h"
#include "jet/table_def_edit.h"
#include "jet/usage_map_edit.h"

namespace jet {
namespace {

constexpr int kMaxDepth = 32;
// A rebuilt tree fills each page to about three quarters, so that the next inserts find room on
// their leaf instead of rebuilding again.
constexpr size_t kRebuildFill = kIndexEntrySpace * 3 / 4;
constexpr uint8_t kUnique = 0x01;
constexpr uint8_t kIgnoreNulls = 0x02;

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

}  // namespace


namespace {

// Bytes `entries` take on an index page, with the prefix EncodeIndexPage gives them.
size_t EncodedSize(const std::vector<IndexEntry>& entries, bool leaf) {
  if (entries.empty()) return 0;
  const std::string& first = entries.front().bytes;
  size_t prefix = first.size() - 4;
  size_t total = 0;
  for (const IndexEntry& e : entries) {
    const size_t limit = std::min(prefix, e.bytes.size() - 4);
    size_t common = 0;
    while (common < limit && e.bytes[common] == first[common]) ++common;
    prefix = common;
    total += e.bytes.size() + (leaf ? 0 : 4);
  }
  return entries.size() == 1 ? total : total - (entries.size() - 1) * prefix;
}

// Packs `entries` into pages of at most `fill` bytes each (one entry at least per page),
// keeping their order.
std::vector<std::vector<IndexEntry>> Pack(std::vector<IndexEntry> entries, bool leaf,
                                          size_t fill) {
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

// Replaces the whole tree of `index` by one holding `entries` (in order): new pages for
// everything below the root, then the root. See InsertIndexEntries for the order of the steps.
void Rebuild(PageCache& cache, const RealIndex& index, PageNumber table_def,
             const IndexTree& old_tree, std::vector<IndexEntry> entries) {
  IndexPage root;
  root.number = index.root;
  root.table_def = table_def;
  std::vector<IndexPage> pages;  // new pages, level by level from the leaves up
  if (EncodedSize(entries, true) <= kIndexEntrySpace) {
    root.entries = std::move(entries);
  } else {
    // `level` holds what the next level's pages will contain: at the bottom the leaf entries;
    // above, one item per page of the level below (its greatest entry and its number).
    std::vector<std::vector<IndexEntry>> level = Pack(std::move(entries), true, kRebuildFill);
    bool leaf = true;
    while (true) {
      std::vector<IndexEntry> above;
      const size_t first = pages.size();
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
        pages.push_back(std::move(page));
      }
      for (size_t i = first; i < pages.size(); ++i) {
        pages[i].previous = i == first ? 0 : pages[i - 1].number;
        pages[i].next = i + 1 == pages.size() ? 0 : pages[i + 1].number;
      }
      leaf = false;
      std::vector<IndexEntry> stored(above.begin(), above.end() - (above.size() >= 2 ? 1 : 0));
      if (EncodedSize(stored, false) <= kIndexEntrySpace) {
        root.leaf = false;
        root.tail = above.size() >= 2 ? above.back().child : 0;
        root.entries = std::move(stored);
        break;
      }
      level = Pack(std::move(above), false, kRebuildFill);
    }
  }

  // The new pages, whole, before anything refers to them; then the index's page map; then the
  // root, which switches to the new tree.
  for (const IndexPage& page : pages) {
    Page& image = cache.Modify(page.number);
    image.bytes.fill(0);
    EncodeIndexPage(page, image.bytes.data());
  }
  cache.Flush();
  for (const IndexPage& page : pages) AddToUsageMap(cache, index.usage_map, page.number);
  cache.Flush();
  Page& root_image = cache.Modify(index.root);
  EncodeIndexPage(root, root_image.bytes.data());
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
    Rebuild(cache, index, table_def, tree, std::move(kept));
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
  if ((index.flags & kIgnoreNulls) != 0 && KeyIsNull(def, index, values)) return std::nullopt;
  std::optional<std::string> key = EncodeIndexKey(def, index, values);
  if (!key) {
    throw Error("the key of a row in index " + std::to_string(index.number) +
                " cannot be computed here (a text in another sort order or beyond U+00FF, or a "
                "Decimal); nothing was written");
  }
  IndexEntry entry;
  entry.bytes = *key + PointerBytes(row);
  entry.row = row;
  return entry;
}

void InsertIndexEntries(PageCache& cache, const RealIndex& index, PageNumber table_def,
                        std::vector<IndexEntry> entries) {
  if (entries.empty()) return;
  std::sort(entries.begin(), entries.end(), ByBytes);
  IndexTree tree = ReadIndexTree(cache, index, table_def);
  std::set<uint32_t> rows;
  std::set<std::string> keys;
  for (const IndexEntry& e : tree.entries) {
    rows.insert(e.row.Word());
    keys.insert(e.key());
  }
  const bool unique = (index.flags & kUnique) != 0;
  uint32_t new_keys = 0;
  for (const IndexEntry& e : entries) {
    if (e.bytes.size() <= 4 || e.bytes.compare(e.bytes.size() - 4, 4, PointerBytes(e.row)) != 0) {
      throw Error(cache.file_name() + ": an index entry does not end in its row pointer");
    }
    if (!rows.insert(e.row.Word()).second) {
      throw Error(cache.file_name() + ": index " + std::to_string(index.number) +
                  " already holds an entry for the row at page " + std::to_string(e.row.page) +
                  " slot " + std::to_string(e.row.row) + "; nothing was written");
    }
    const bool fresh = keys.insert(e.key()).second;
    if (fresh) {
      ++new_keys;
    } else if (unique && !NullKey(index, e.key())) {
      throw Error(cache.file_name() + ": the value would be a duplicate in unique index " +
                  std::to_string(index.number) + "; nothing was written");
    }
  }

  if (!InsertInPlace(cache, index, entries)) {
    std::vector<IndexEntry> all = std::move(tree.entries);
    all.insert(all.end(), entries.begin(), entries.end());
    std::sort(all.begin(), all.end(), ByBytes);
    Rebuild(cache, index, table_def, tree, std::move(all));
  }

  if (new_keys == 0) return;
  AddToUniqueEntries(cache, table_def, index.number, new_keys);
  cache.Flush();
}

}  // namespace jet
