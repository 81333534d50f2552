#ifndef MDBTOMYSQL_JET_PAGE_CACHE_H_
#define MDBTOMYSQL_JET_PAGE_CACHE_H_

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

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

// The page cache of one open database file: every page the engine reads goes through it, so that
// later writes and all readers of the same file see one image of each page. It keeps at most
// `capacity` pages (least recently used ones leave first), so memory does not grow with the file.
class PageCache {
 public:
  explicit PageCache(std::unique_ptr<PageFile> file, size_t capacity = 256);

  PageCache(const PageCache&) = delete;
  PageCache& operator=(const PageCache&) = delete;

  // Returns page `n`, reading it on first use. Throws jet::Error if it lies outside the file.
  PageRef Read(PageNumber n);

  PageNumber page_count() const { return file_->page_count(); }
  uint64_t file_size() const { return file_->size(); }
  // The file's base name for messages.
  const std::string& file_name() const { return file_->name(); }

  // Prefix for error messages about page `n`: "VELDA.mdb: page 812: ".
  std::string Where(PageNumber n) const;

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
};

}  // namespace jet

#endif  // MDBTOMYSQL_JET_PAGE_CACHE_H_
