#include "jet/index_page.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "jet/byte_order.h"
#include "jet/error.h"

namespace jet {
namespace {

constexpr size_t kMaskBytes = kIndexEntriesStart - kIndexMaskStart;  // 453
// Access indexes are a few levels deep; more means a loop that the visited set did not catch.
constexpr int kMaxDepth = 32;

uint32_t LoadBigEndian(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  return v;
}

// The longest prefix every entry shares with the first, never reaching into a row pointer; 0
// for a single entry, which is stored whole.
size_t SharedPrefix(const std::vector<IndexEntry>& entries) {
  if (entries.size() <= 1) return 0;
  const std::string& first = entries.front().bytes;
  size_t prefix = first.size() - 4;
  for (const IndexEntry& e : entries) {
    const size_t limit = std::min(prefix, e.bytes.size() - 4);
    size_t common = 0;
    while (common < limit && e.bytes[common] == first[common]) ++common;
    prefix = common;
  }
  return prefix;
}

class TreeReader {
 public:
  TreeReader(PageCache& cache, PageNumber table_def) : cache_(cache), table_def_(table_def) {}

  // Appends the leaf entries below `number`; returns the smallest and greatest of them (empty
  // strings for an empty leaf).
  std::pair<std::string, std::string> Walk(PageNumber number, int depth, IndexTree* tree) {
    if (depth > kMaxDepth) throw Error(cache_.Where(number) + "index tree is too deep (a loop?)");
    if (number == 0 || number >= cache_.page_count()) {
      throw Error(cache_.file_name() + ": index page " + std::to_string(number) +
                  " lies outside the file");
    }
    if (!visited_.insert(number).second) {
      throw Error(cache_.Where(number) + "index page is reached twice (a loop?)");
    }
    PageRef ref = cache_.Read(number);
    IndexPage page = DecodeIndexPage(*ref, cache_);
    if (page.table_def != table_def_) {
      throw Error(cache_.Where(number) + "index page belongs to the table at page " +
                  std::to_string(page.table_def) + ", not " + std::to_string(table_def_));
    }
    tree->pages.push_back(number);
    if (page.leaf) {
      tree->leaves.push_back(number);
      leaf_links_.push_back({page.previous, page.next});
      if (page.entries.empty()) return {};
      std::pair<std::string, std::string> range{page.entries.front().bytes,
                                                page.entries.back().bytes};
      for (IndexEntry& e : page.entries) tree->entries.push_back(std::move(e));
      return range;
    }
    // A node entry is the greatest entry of its child. After a removal it may stay greater for a
    // while (a bound that still sends every search the right way): then it must at least lie
    // below everything in the next child.
    std::pair<std::string, std::string> range;
    const std::string* bound = nullptr;
    auto visit = [&](PageNumber child_page) {
      std::pair<std::string, std::string> child = Walk(child_page, depth + 1, tree);
      if (bound != nullptr && !child.first.empty() && !(*bound < child.first)) {
        throw Error(cache_.Where(number) + "child page " + std::to_string(child_page) +
                    " holds entries not above the node entry before it");
      }
      if (range.first.empty()) range.first = child.first;
      if (!child.second.empty()) range.second = child.second;
      return child;
    };
    for (const IndexEntry& e : page.entries) {
      std::pair<std::string, std::string> child = visit(e.child);
      if (e.bytes < child.second) {
        throw Error(cache_.Where(number) + "node entry for child page " + std::to_string(e.child) +
                    " lies below that page's greatest entry");
      }
      if (e.bytes != child.second) ++tree->loose_bounds;
      bound = &e.bytes;
    }
    if (page.tail != 0) visit(page.tail);
    return range;
  }

  // The leaves must be chained left to right in the order the tree gives them.
  void CheckLeafChain(const IndexTree& tree) const {
    for (size_t i = 0; i < tree.leaves.size(); ++i) {
      PageNumber want_previous = i == 0 ? 0 : tree.leaves[i - 1];
      PageNumber want_next = i + 1 == tree.leaves.size() ? 0 : tree.leaves[i + 1];
      if (leaf_links_[i].first != want_previous || leaf_links_[i].second != want_next) {
        throw Error(cache_.Where(tree.leaves[i]) + "leaf page is chained to pages " +
                    std::to_string(leaf_links_[i].first) + " and " +
                    std::to_string(leaf_links_[i].second) + ", the tree gives " +
                    std::to_string(want_previous) + " and " + std::to_string(want_next));
      }
    }
  }

 private:
  PageCache& cache_;
  PageNumber table_def_;
  std::set<PageNumber> visited_;
  std::vector<std::pair<PageNumber, PageNumber>> leaf_links_;
};

}  // namespace

IndexPage DecodeIndexPage(const Page& page, const PageCache& cache) {
  const uint8_t* p = page.data();
  if (p[0] != kPageIndexNode && p[0] != kPageIndexLeaf) {
    throw Error(cache.Where(page.number) + "expected an index page, found page type " +
                std::to_string(p[0]));
  }
  IndexPage out;
  out.number = page.number;
  out.leaf = p[0] == kPageIndexLeaf;
  out.table_def = LoadU32(p + 4);
  out.previous = LoadU32(p + 12);
  out.next = LoadU32(p + 16);
  out.tail = out.leaf ? 0 : LoadU32(p + 20);
  const size_t prefix_length = LoadU16(p + 24);
  const size_t pointer_bytes = out.leaf ? 4 : 8;

  std::string prefix;
  size_t start = 0;
  for (size_t end = 1; end <= kIndexEntrySpace; ++end) {
    if (((p[kIndexMaskStart + end / 8] >> (end % 8)) & 1) == 0) continue;
    const uint8_t* stored = p + kIndexEntriesStart + start;
    const size_t stored_length = end - start;
    IndexEntry e;
    if (out.entries.empty()) {
      e.bytes.assign(reinterpret_cast<const char*>(stored), stored_length);
      if (prefix_length > e.bytes.size()) {
        throw Error(cache.Where(page.number) + "index prefix of " + std::to_string(prefix_length) +
                    " bytes is longer than the first entry");
      }
      prefix = e.bytes.substr(0, prefix_length);
    } else {
      e.bytes = prefix;
      e.bytes.append(reinterpret_cast<const char*>(stored), stored_length);
    }
    if (e.bytes.size() <= pointer_bytes) {
      throw Error(cache.Where(page.number) + "index entry " + std::to_string(out.entries.size()) +
                  " is too short (" + std::to_string(e.bytes.size()) + " bytes)");
    }
    if (!out.leaf) {
      e.child =
          LoadBigEndian(reinterpret_cast<const uint8_t*>(e.bytes.data()) + e.bytes.size() - 4, 4);
      e.bytes.resize(e.bytes.size() - 4);
    }
    const auto* tail = reinterpret_cast<const uint8_t*>(e.bytes.data()) + e.bytes.size() - 4;
    e.row.page = LoadBigEndian(tail, 3);
    e.row.row = tail[3];
    out.entries.push_back(std::move(e));
    start = end;
  }
  return out;
}

void EncodeIndexPage(const IndexPage& page, uint8_t* out) {
  const size_t prefix = SharedPrefix(page.entries);
  std::string data;
  std::vector<size_t> ends;
  for (size_t i = 0; i < page.entries.size(); ++i) {
    const IndexEntry& e = page.entries[i];
    data.append(i == 0 ? e.bytes : e.bytes.substr(prefix));
    if (!page.leaf) {
      for (int shift = 24; shift >= 0; shift -= 8) data += static_cast<char>(e.child >> shift);
    }
    ends.push_back(data.size());
  }
  if (data.size() > kIndexEntrySpace) {
    throw Error("index page " + std::to_string(page.number) + ": " + std::to_string(data.size()) +
                " bytes of entries do not fit the page");
  }
  out[0] = page.leaf ? kPageIndexLeaf : kPageIndexNode;
  out[1] = 0x01;
  StoreU16(out + 2, static_cast<uint16_t>(kIndexEntrySpace - data.size()));
  StoreU32(out + 4, page.table_def);
  StoreU32(out + 12, page.previous);
  StoreU32(out + 16, page.next);
  StoreU32(out + 20, page.leaf ? 0 : page.tail);
  StoreU16(out + 24, static_cast<uint16_t>(prefix));
  std::memset(out + kIndexMaskStart, 0, kMaskBytes);
  for (size_t end : ends) out[kIndexMaskStart + end / 8] |= static_cast<uint8_t>(1u << (end % 8));
  std::memset(out + kIndexEntriesStart, 0, kIndexEntrySpace);
  std::memcpy(out + kIndexEntriesStart, data.data(), data.size());
}

size_t EncodedSize(const std::vector<IndexEntry>& entries, bool leaf) {
  size_t total = 0;
  for (const IndexEntry& e : entries) total += e.bytes.size() + (leaf ? 0 : 4);
  return entries.size() <= 1 ? total : total - (entries.size() - 1) * SharedPrefix(entries);
}

IndexTree ReadIndexTree(PageCache& cache, const RealIndex& index, PageNumber table_def) {
  IndexTree tree;
  TreeReader reader(cache, table_def);
  reader.Walk(index.root, 0, &tree);
  reader.CheckLeafChain(tree);
  return tree;
}

}  // namespace jet
