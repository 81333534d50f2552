// Opening a path: only a regular file is ever read. A FIFO given as the database would otherwise
// block every command for good, waiting for a writer that never comes.
#include "jet/file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

#include "jet/database.h"
#include "support/test_env.h"

namespace {

// Opens `path` as the database on another thread; the jet::Error's message, "" when it opened,
// or "blocked" when the open still waits after five seconds.
std::string OpenError(const std::string& path) {
  auto opening = std::async(std::launch::async, [path]() -> std::string {
    try {
      jet::Database::Open(path, "qarnivel");
    } catch (const jet::Error& e) {
      return e.what();
    }
    return "";
  });
  if (opening.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return opening.get();
  // Release the waiting open with a writer of our own, so that the test ends and fails.
  int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
  if (writer >= 0) ::close(writer);
  opening.wait();
  return "blocked";
}

TEST(PageFile, RefusesAFifoADeviceAndAFolderAtOnce) {
  const std::string dir = testenv::ScratchDir("page_file");
  const std::string fifo = dir + "/VELDA.mdb";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string fifo_error = OpenError(fifo);
  EXPECT_NE(fifo_error.find("VELDA.mdb: this is a named pipe (FIFO), not a database file"),
            std::string::npos)
      << fifo_error;

  EXPECT_NE(OpenError("/dev/null").find("/dev/null: this is a device, not a database file"),
            std::string::npos);
  EXPECT_NE(OpenError(dir).find("this is a folder, not a database file"), std::string::npos);

  // A link to a regular file is the file itself.
  const std::string link = dir + "/link.mdb";
  ASSERT_EQ(::symlink(testenv::FixturePath("velda_sample.mdb").c_str(), link.c_str()), 0);
  EXPECT_EQ(OpenError(link), "");
}

}  // namespace
