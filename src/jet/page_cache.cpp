#include "jet/page_cache.h"

#include "jet/error.h"

namespace jet {

PageCache::PageCache(std::unique_ptr<PageFile> file, size_t capacity)
    : file_(std::move(file)), capacity_(capacity < 4 ? 4 : capacity) {}

std::string PageCache::Where(PageNumber n) const {
  return file_->name() + ": page " + std::to_string(n) + ": ";
}

PageRef PageCache::Read(PageNumber n) {
  if (last_ && last_->number == n) return last_;
  auto found = pages_.find(n);
  if (found != pages_.end()) {
    lru_.splice(lru_.begin(), lru_, found->second.position);
    last_ = found->second.page;
    return last_;
  }
  auto page = std::make_shared<Page>();
  page->number = n;
  file_->ReadPage(n, page->bytes.data());
  if (pages_.size() >= capacity_) {
    pages_.erase(lru_.back());
    lru_.pop_back();
  }
  lru_.push_front(n);
  pages_.emplace(n, Entry{page, lru_.begin()});
  last_ = page;
  return last_;
}

}  // namespace jet
