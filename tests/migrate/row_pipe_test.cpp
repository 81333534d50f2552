// The pipe that carries a whole table to LOAD DATA while its rows are read.
#include "migrate/row_pipe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

namespace migrate {
namespace {

using std::chrono::milliseconds;

// Reads the pipe by its path, as the client library does, to the end.
std::string ReadAll(const std::string& path, milliseconds pause_per_block = milliseconds(0)) {
  std::string all;
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return "<cannot open>";
  char block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, in)) > 0) {
    all.append(block, n);
    std::this_thread::sleep_for(pause_per_block);
  }
  std::fclose(in);
  return all;
}

TEST(RowPipe, CarriesEveryLineInOrderToAReaderThatOpensItsPath) {
  RowPipe pipe;
  EXPECT_EQ(pipe.path().rfind("/proc/self/fd/", 0), 0u) << pipe.path();
  // Nothing on disk: a pipe, not a file.
  struct stat st {};
  ASSERT_EQ(stat(pipe.path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  // Far more than the pipe and the buffer hold, to a reader slower than the writer.
  std::string expected;
  for (int i = 0; i < 200000; ++i)
    expected += std::to_string(i) + "\trow " + std::to_string(i) + "\n";
  auto reader =
      std::async(std::launch::async, [&] { return ReadAll(pipe.path(), milliseconds(1)); });
  size_t at = 0;
  while (at < expected.size()) {
    const size_t end = expected.find('\n', at) + 1;
    ASSERT_TRUE(pipe.Append(expected.substr(at, end - at)));
    at = end;
  }
  EXPECT_TRUE(pipe.Finish());
  const std::string got = reader.get();
  EXPECT_EQ(got.size(), expected.size());
  EXPECT_TRUE(got == expected);
}

TEST(RowPipe, AbandonedPipeReleasesItsWriter) {
  RowPipe pipe;
  // Nobody reads: the writer fills the pipe and waits, until the statement's thread gives up.
  auto writer = std::async(std::launch::async, [&] {
    const std::string line(1000, 'x');
    for (int i = 0; i < 100000; ++i)
      if (!pipe.Append(line + "\n")) return i;
    return -1;
  });
  EXPECT_EQ(writer.wait_for(milliseconds(300)), std::future_status::timeout);
  pipe.Abandon();
  ASSERT_EQ(writer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_GT(writer.get(), 0);
  EXPECT_FALSE(pipe.Append("late\n"));
  EXPECT_FALSE(pipe.Finish());
}

TEST(RowPipe, ReaderThatStopsEarlyDoesNotHangTheWriter) {
  RowPipe pipe;
  // The reader takes a little and goes, as a statement the server refused part way.
  auto reader = std::async(std::launch::async, [&] {
    std::FILE* in = std::fopen(pipe.path().c_str(), "rb");
    char block[4096];
    const size_t n = in ? std::fread(block, 1, sizeof block, in) : 0;
    if (in) std::fclose(in);
    pipe.Abandon();
    return n;
  });
  bool all_taken = true;
  for (int i = 0; i < 100000 && all_taken; ++i)
    all_taken = pipe.Append(std::string(999, 'y') + "\n");
  EXPECT_FALSE(all_taken);
  EXPECT_EQ(reader.get(), 4096u);
}

size_t OpenDescriptors() {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++n;
  return n;
}

TEST(RowPipe, ItsDescriptorsEndWithIt) {
  const size_t before = OpenDescriptors();
  {
    RowPipe pipe;
    EXPECT_EQ(OpenDescriptors(), before + 3);  // both ends and the wake-up descriptor
    EXPECT_TRUE(pipe.Finish());
    EXPECT_EQ(ReadAll(pipe.path()), "");  // no rows: the reader meets the end at once
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace migrate
