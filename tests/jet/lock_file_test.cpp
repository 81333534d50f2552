#include "jet/lock_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

}  // namespace
