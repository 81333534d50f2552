#include "jet/lock_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "jet/database.h"
#include "jet/drop_table.h"
#include "jet/error.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

TEST(LockFile, FoundBesideTheDatabaseInEitherCase) {
  const std::string folder = testenv::ScratchDir("backup_lock");
  const std::string mdb = folder + "/velda.mdb";
  testenv::WriteBytes(mdb, "x");
  EXPECT_EQ(jet::ExistingLockFile(mdb), "");
  testenv::WriteBytes(folder + "/velda.LDB", "");
  EXPECT_EQ(jet::ExistingLockFile(mdb), folder + "/velda.LDB");
  fs::remove(folder + "/velda.LDB");
  testenv::WriteBytes(folder + "/velda.ldb", "");
  EXPECT_EQ(jet::ExistingLockFile(mdb), folder + "/velda.ldb");
  EXPECT_EQ(jet::LockFilePath(mdb), folder + "/velda.ldb");
  EXPECT_EQ(jet::LockFilePath(folder + "/velda"), folder + "/velda.ldb");
  EXPECT_EQ(jet::LockFilePath(folder + "/v.1/velda"), folder + "/v.1/velda.ldb")
      << "a dot in a folder's name is not the file's extension";
  // Another database's lock file says nothing about this one.
  EXPECT_EQ(jet::ExistingLockFile(folder + "/other.mdb"), "");
}

// The error of a DROP of `table` in the file at `path`, or "".
std::string DropRefusal(const std::string& path, const std::string& table) {
  try {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::DropTable(db, table);
  } catch (const jet::Error& e) {
    return e.what();
  }
  return "";
}

TEST(LockFile, OnlyAHeldLockFileOrAHeldFileStopsAWrite) {
  const std::string folder = testenv::ScratchDir("lock_writes");
  const std::string path =
      testenv::CopyToScratch(testenv::FixturePath("velda_sample.mdb"), "lock_writes");
  const std::string ldb = jet::LockFilePath(path);
  {
    // Access has the file open under Wine: its lock file is held.
    testenv::HeldLock access(ldb);
    EXPECT_EQ(jet::LiveLockFile(path), ldb);
    EXPECT_NE(DropRefusal(path, "W_Temp").find("open in Access"), std::string::npos);
  }
  // The same file, left behind by a process that ended: nobody holds it, so it is stale.
  ASSERT_TRUE(fs::exists(ldb));
  EXPECT_EQ(jet::LiveLockFile(path), "");
  EXPECT_EQ(DropRefusal(path, "W_Temp"), "");
  EXPECT_FALSE(fs::exists(ldb)) << "the write's own lock file goes with it, the stale one before";
  {
    // Samba or Wine lock the database itself with fcntl, which flock does not see.
    testenv::HeldLock samba(path);
    EXPECT_NE(DropRefusal(path, "w_log").find("another program is using the file"),
              std::string::npos);
  }
  EXPECT_EQ(DropRefusal(path, "w_log"), "");
}

TEST(LockFile, AWriterKilledMidWriteLeavesALockFileTheNextWriterTakesAsStale) {
  const std::string path =
      testenv::CopyToScratch(testenv::FixturePath("velda_sample.mdb"), "lock_killed");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Holds the file as a writer does, then dies without a word.
    const int fd = ::open(path.c_str(), O_RDWR);
    const int lock = ::open(jet::LockFilePath(path).c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
    const bool held = fd >= 0 && lock >= 0 && jet::LockExclusively(fd) &&
                      jet::LockExclusively(lock);
    (void)!::write(ready[1], held ? "y" : "n", 1);
    for (;;) ::pause();
  }
  char held = 'n';
  ASSERT_EQ(::read(ready[0], &held, 1), 1);
  ASSERT_EQ(held, 'y');
  EXPECT_NE(DropRefusal(path, "W_Temp"), "") << "a live writer holds it";
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_TRUE(fs::exists(jet::LockFilePath(path)));
  EXPECT_EQ(DropRefusal(path, "W_Temp"), "") << "the next run goes on with no manual step";
}

}  // namespace
