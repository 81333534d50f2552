#include "forms/path_helpers.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/test_env.h"

namespace forms {
namespace {

TEST(FileExists, OnlyForAnExistingEntryThatIsNotAFolder) {
  const std::string dir = testenv::ScratchDir("file_exists");
  const std::string file = dir + "/VELDA.mdb";
  std::ofstream(file) << "x";
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(dir));
  EXPECT_FALSE(FileExists(dir + "/missing.mdb"));
  EXPECT_FALSE(FileExists(""));
  // Outer spaces are part of the name.
  EXPECT_FALSE(FileExists(file + " "));
  std::ofstream(dir + "/ spaced.mdb ") << "x";
  EXPECT_TRUE(FileExists(dir + "/ spaced.mdb "));
  // A path through a file is an error of the file system, not an exception.
  EXPECT_FALSE(FileExists(file + "/inner"));
}

TEST(GetFileNameFromPath, TakesWhatFollowsTheLastBackslash) {
  EXPECT_EQ(GetFileNameFromPath("C:\\Data\\VELDA.mdb"), "VELDA.mdb");
  EXPECT_EQ(GetFileNameFromPath("VELDA.mdb"), "VELDA.mdb");
  EXPECT_EQ(GetFileNameFromPath("C:\\Data\\"), "");
  EXPECT_EQ(GetFileNameFromPath(""), "");
  EXPECT_EQ(GetFileNameFromPath("/home/ana/VELDA.mdb"), "/home/ana/VELDA.mdb");
}

}  // namespace
}  // namespace forms
