#ifndef MDBTOMYSQL_JET_INDEX_PAGE_H_
#define MDBTOMYSQL_JET_INDEX_PAGE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "jet/data_page.h"
#include "jet/index.h"
#include "jet/page_cache.h"

namespace jet {

// Index pages (types 0x03 node, 0x04 leaf) hold entries back to back from offset 0x1E0; a bitmap
// at offset 27 marks where each entry ends, and all entries but the first may omit a prefix they
// share with the first.
constexpr size_t kIndexEntriesStart = 0x1E0;
constexpr size_t kIndexMaskStart = 27;
constexpr size_t kIndexEntrySpace = kPageSize - kIndexEntriesStart;  // 3616

// One entry, with the page's shared prefix put back. A leaf entry is key bytes + the row's page
// (3 bytes big-endian) + slot; a node entry adds its child page (4 bytes big-endian) and is a copy
// of the child's greatest entry.
struct IndexEntry {
  std::string bytes;     // key + row pointer (node entries: without the child page)
  RowPointer row;        // the row the entry stands for
  PageNumber child = 0;  // node entries only

  std::string key() const { return bytes.substr(0, bytes.size() - 4); }
};

// One decoded index page.
struct IndexPage {
  PageNumber number = 0;
  bool leaf = true;
  PageNumber table_def = 0;  // the owning table's first TDEF page
  PageNumber previous = 0;   // siblings at the same level; 0 = none
  PageNumber next = 0;
  PageNumber tail = 0;  // node pages: the last child, which has no entry of its own
  std::vector<IndexEntry> entries;
};

// Decodes index page `page`. Throws jet::Error if it is not an index page or its entries do not
// fit the page.
IndexPage DecodeIndexPage(const Page& page, const PageCache& cache);

// Encodes `page` into `out` (a full page image whose other bytes are kept): header fields, the
// entries with the longest prefix they all share with the first one, the end mask and the free
// space. Throws jet::Error if the entries do not fit.
void EncodeIndexPage(const IndexPage& page, uint8_t* out);

// Bytes `entries` take on an index page (of kIndexEntrySpace), with the prefix EncodeIndexPage
// gives them. Node entries carry their child page besides.
size_t EncodedSize(const std::vector<IndexEntry>& entries, bool leaf);

// The whole tree of one real index: its leaf entries in tree order and every page it is made of.
struct IndexTree {
  std::vector<IndexEntry> entries;
  std::vector<PageNumber> pages;   // root first, then depth-first
  std::vector<PageNumber> leaves;  // left to right
  // Node entries greater than their child's greatest entry: left by a removal that stopped
  // before it reached the node; searches still work.
  size_t loose_bounds = 0;
};

// Reads the tree of `index` of the table whose TDEF is at `table_def`, following nodes from the
// root. Throws jet::Error on structural damage: a page of another type or table, a loop, a node
// entry below its child's greatest entry or not below the next child, a broken leaf chain. The
// order of the leaf entries among themselves is not judged here.
IndexTree ReadIndexTree(PageCache& cache, const RealIndex& index, PageNumber table_def);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_INDEX_PAGE_H_
