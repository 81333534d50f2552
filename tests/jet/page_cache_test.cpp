// The page cache: what is modified reaches the file only on Flush, in the order first modified;
// a stopped Flush drops the rest; new pages only follow the end of the file; pages held stay
// valid; a change by another writer is noticed.
#include "jet/page_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "jet/error.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

// A file of `pages` pages on disk, page n filled with the byte n.
std::string PagesOnDisk(const std::string& scratch, int pages) {
  std::string bytes;
  for (int n = 0; n < pages; ++n) bytes.append(jet::kPageSize, static_cast<char>(n));
  const std::string path = testenv::ScratchDir(scratch) + "/pages.mdb";
  testenv::WriteBytes(path, bytes);
  return path;
}

std::unique_ptr<jet::PageCache> Open(const std::string& path, size_t capacity = 256) {
  return std::make_unique<jet::PageCache>(jet::PageFile::OpenReadOnly(path), capacity);
}

char ByteOnDisk(const std::string& path, jet::PageNumber page) {
  return testenv::FileBytes(path).at(page * jet::kPageSize + 7);
}

TEST(PageCache, ModifiedPagesReachTheFileOnFlushInTheOrderFirstModified) {
  const std::string path = PagesOnDisk("cache_flush", 4);
  auto cache = Open(path);
  cache->file().BeginWriting();
  std::vector<jet::PageNumber> order;
  cache->SetWriteHook([&](jet::PageNumber p) { order.push_back(p); });
  cache->Modify(3).bytes[7] = 'x';
  cache->Modify(1).bytes[7] = 'y';
  cache->Modify(3).bytes[8] = 'z';  // the same private copy
  EXPECT_EQ(cache->Read(3)->bytes[7], 'x') << "the cache reads its own changes";
  EXPECT_EQ(ByteOnDisk(path, 3), 3) << "nothing written before Flush";
  cache->Flush();
  EXPECT_EQ(order, (std::vector<jet::PageNumber>{3, 1}));
  EXPECT_EQ(ByteOnDisk(path, 3), 'x');
  EXPECT_EQ(testenv::FileBytes(path).at(3 * jet::kPageSize + 8), 'z');
  EXPECT_EQ(ByteOnDisk(path, 1), 'y');
  cache->Modify(2).bytes[7] = 'w';
  cache->Discard();
  EXPECT_EQ(cache->Read(2)->bytes[7], 2) << "discarded";
  cache->file().EndWriting();
}

TEST(PageCache, AStoppedFlushLeavesThePagesNotWrittenAsTheFileHoldsThem) {
  const std::string path = PagesOnDisk("cache_stop", 4);
  auto cache = Open(path);
  cache->file().BeginWriting();
  int writes = 0;
  cache->SetWriteHook([&](jet::PageNumber) {
    if (writes++ == 1) throw jet::Error("stopped");
  });
  for (jet::PageNumber p : {1, 2, 3}) cache->Modify(p).bytes[7] = 'n';
  EXPECT_THROW(cache->Flush(), jet::Error);
  EXPECT_EQ(ByteOnDisk(path, 1), 'n');
  EXPECT_EQ(ByteOnDisk(path, 2), 2);
  EXPECT_EQ(cache->Read(2)->bytes[7], 2) << "the change that was not written is gone";
  EXPECT_EQ(cache->Read(3)->bytes[7], 3);
  cache->file().EndWriting();
}

TEST(PageCache, NewPagesFollowTheEndOfTheFileOnly) {
  const std::string path = PagesOnDisk("cache_new", 4);
  auto cache = Open(path);
  cache->file().BeginWriting();
  cache->Modify(2);  // a page inside the file does not move its end
  EXPECT_THROW(cache->Modify(5), jet::Error) << "page 4 would be missing";
  jet::Page& fresh = cache->Modify(4);
  EXPECT_EQ(fresh.bytes[7], 0) << "a new page starts zeroed";
  EXPECT_EQ(cache->end_page(), 5u);
  EXPECT_EQ(cache->page_count(), 4u) << "until it is written";
  cache->Modify(5);
  cache->Flush();
  EXPECT_EQ(cache->page_count(), 6u);
  EXPECT_EQ(testenv::FileBytes(path).size(), 6 * jet::kPageSize);
  cache->file().EndWriting();
}

TEST(PageCache, PagesHeldStayValidAfterTheCacheLetsThemGo) {
  const std::string path = PagesOnDisk("cache_capacity", 12);
  auto cache = Open(path, 4);
  const jet::PageRef first = cache->Read(0);
  for (jet::PageNumber p = 1; p < 12; ++p) EXPECT_EQ(cache->Read(p)->bytes[7], p);
  EXPECT_EQ(first->bytes[7], 0);
  EXPECT_EQ(cache->Read(0)->bytes[7], 0) << "read again after it left";
  EXPECT_THROW(cache->Read(12), jet::Error);
  EXPECT_EQ(cache->Where(3), "pages.mdb: page 3: ");
}

TEST(PageCache, NoticesAnotherWritersChangeAndForgetsItsPages) {
  const std::string path = PagesOnDisk("cache_outside", 4);
  auto reader = Open(path);
  EXPECT_EQ(reader->Read(2)->bytes[7], 2);
  EXPECT_FALSE(reader->ForgetIfChangedOutside());
  {
    auto writer = Open(path);
    writer->file().BeginWriting();
    writer->Modify(2).bytes[7] = 'o';
    writer->Modify(4);
    writer->Flush();
    writer->file().EndWriting();
  }
  EXPECT_TRUE(reader->ForgetIfChangedOutside());
  EXPECT_EQ(reader->Read(2)->bytes[7], 'o');
  EXPECT_EQ(reader->page_count(), 5u) << "its new size taken";
  EXPECT_FALSE(reader->ForgetIfChangedOutside()) << "once";
}

}  // namespace
