#ifndef MDBTOMYSQL_JET_PAGE_CACHE_H_
#define MDBTOMYSQL_JET_PAGE_CACHE_H_

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/file.h"

namespace jet {

// One page image as read from the file.
struct Page {
  PageNumber number = 0;
  std::array<uint8_t, kPageSize> bytes{};

  const uint8_t* data() const { return bytes.data(); }
  uint8_t type() const { return bytes[0]; }
};

// Pages stay valid while a reference is held, even after the cache has let them go.
using PageRef = std::shared_ptr<const Page>;

// The page cache of one open database file: every page the engine reads or writes goes through
// it, so that all readers of the same file see one image of each page. It keeps at most
// `capacity` pages (least recently used ones leave first), so memory does not grow with the file.
//
// Writing happens in steps: Modify() the pages of one step, then Flush() writes them and makes
// them durable before the next step begins. Jet keeps no journal, so a write recipe orders its
// steps so that the file is sound after each one.
class PageCache {
 public:
  explicit PageCache(std::unique_ptr<PageFile> file, size_t capacity = 256);

  PageCache(const PageCache&) = delete;
  PageCache& operator=(const PageCache&) = delete;

  // Returns page `n`, reading it on first use. Throws jet::Error if it lies outside the file.
  PageRef Read(PageNumber n);

  PageNumber page_count() const { return file_->page_count(); }
  // One past the last page, counting new pages modified but not yet written.
  PageNumber end_page() const;
  uint64_t file_size() const { return file_->size(); }
  // The file's base name for messages.
  const std::string& file_name() const { return file_->name(); }

  // Prefix for error messages about page `n`: "VELDA.mdb: page 812: ".
  std::string Where(PageNumber n) const;

  // The file underneath, for taking and releasing write access (PageFile::BeginWriting).
  PageFile& file() { return *file_; }

  // Forgets every page read so far when another writer changed the file since (the pages may be
  // stale); true when it did. Not while pages wait to be written.
  bool ForgetIfChangedOutside();

  // A private copy of page `n` to change; Read() returns it from now on. n == end_page() gives
  // a new zeroed page at the end of the file. Nothing reaches the file before Flush(). Throws
  // jet::Error for a page beyond that, which would leave a gap in the file.
  Page& Modify(PageNumber n);
  // Writes the modified pages in the order they were first modified, then fdatasync. If a write
  // fails, the pages not yet written are dropped (Read returns what the file holds) and the error
  // is thrown on.
  void Flush();
  // Drops the modified pages without writing them.
  void Discard();

  // Called with each page number just before the page is written; a hook that throws stops the
  // write there, as a crash would (tests use it to stop a write at every possible point).
  void SetWriteHook(std::function<void(PageNumber)> hook) { write_hook_ = std::move(hook); }

 private:
  using Lru = std::list<PageNumber>;
  struct Entry {
    PageRef page;
    Lru::iterator position;
  };

  std::unique_ptr<PageFile> file_;
  size_t capacity_;
  Lru lru_;  // most recently used first
  std::unordered_map<PageNumber, Entry> pages_;
  PageRef last_;  // the page of the previous call: row scans ask for it again and again
  std::vector<std::shared_ptr<Page>> modified_;  // in the order of the first Modify
  std::function<void(PageNumber)> write_hook_;
};

}  // namespace jet

#endif  // MDBTOMYSQL_JET_PAGE_CACHE_H_
