#include "jet/page_cache.h"

#include <algorithm>

#include "jet/error.h"

namespace jet {

PageCache::PageCache(std::unique_ptr<PageFile> file, size_t capacity)
    : file_(std::move(file)), capacity_(capacity < 4 ? 4 : capacity) {}

std::string PageCache::Where(PageNumber n) const {
  return file_->name() + ": page " + std::to_string(n) + ": ";
}

PageNumber PageCache::end_page() const {
  PageNumber end = file_->page_count();
  for (const std::shared_ptr<Page>& page : modified_) end = std::max(end, page->number + 1);
  return end;
}

bool PageCache::ForgetIfChangedOutside() {
  if (!modified_.empty() || !file_->TakeOutsideChange()) return false;
  pages_.clear();
  lru_.clear();
  last_.reset();
  return true;
}

PageRef PageCache::Read(PageNumber n) {
  if (last_ && last_->number == n) return last_;
  for (const std::shared_ptr<Page>& page : modified_) {
    if (page->number == n) return page;
  }
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

Page& PageCache::Modify(PageNumber n) {
  for (const std::shared_ptr<Page>& page : modified_) {
    if (page->number == n) return *page;
  }
  auto page = std::make_shared<Page>();
  page->number = n;
  if (n < file_->page_count()) {
    page->bytes = Read(n)->bytes;
  } else if (n > end_page()) {
    // Pages already modified inside the file do not move its end.
    throw Error(Where(n) + "a new page must follow the end of the file");
  }
  last_.reset();
  modified_.push_back(page);
  return *page;
}

void PageCache::Discard() {
  modified_.clear();
  last_.reset();
}

void PageCache::Flush() {
  last_.reset();
  std::vector<std::shared_ptr<Page>> pages = std::move(modified_);
  modified_.clear();
  for (const std::shared_ptr<Page>& page : pages) {
    if (write_hook_) write_hook_(page->number);
    file_->WritePage(page->number, page->data());
    auto found = pages_.find(page->number);
    if (found != pages_.end()) {
      lru_.erase(found->second.position);
      pages_.erase(found);
    }
  }
  file_->Sync();
}

}  // namespace jet
