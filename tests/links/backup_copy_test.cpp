#include "links/backup_copy.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "db/error.h"
#include "support/test_env.h"

namespace links {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

long ErrorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const db::Error& e) {
    return e.number();
  }
  return 0;
}

TEST(BackupPath, StampsTheUpperCasedFileNameAndKeepsTheFolderAsTyped) {
  const struct {
    std::string source;
    std::string backup;
  } cases[] = {
      {"/Data/Sub/Velda.mdb", "/Data/Sub/VELDA08122026093015.MDB"},
      {"velda.MDB", "VELDA08122026093015.MDB"},
      // The folder is not rewritten even where it holds the file's own name.
      {"/srv/velda.mdb/velda.mdb", "/srv/velda.mdb/VELDA08122026093015.MDB"},
      {"/d/ my velda.mdb", "/d/ MY VELDA08122026093015.MDB"},
      // Only ASCII letters change, so a UTF-8 name stays valid.
      {"/d/r\xc3\xa9sum\xc3\xa9.mdb", "/d/R\xc3\xa9SUM\xc3\xa9" "08122026093015.MDB"},
      // A backslash is an ordinary character of a Linux name, but the base name is still taken
      // after it, as the system always did.
      {"/d/a\\velda.mdb", "/d/A\\VELDA08122026093015.MDB"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BackupPath(c.source, "08122026", "093015").value_or("(none)"), c.backup)
        << c.source;
  }
}

TEST(BackupPath, RefusesANameThatWouldGetNoStamp) {
  // Each would be a fixed name that the next run overwrites with the relinked file.
  for (const std::string source :
       {"/d/velda.db", "/d/velda", "/d/velda.mdb ", "/d/velda.mdb.bak", "/d/velda.mdbx/"}) {
    EXPECT_EQ(BackupPath(source, "08122026", "093015"), std::nullopt) << source;
  }
}

TEST(DurableCopy, CopiesEveryByteWithTheSourcesModeAndNeverReplacesACopyOfTheSameName) {
  const std::string folder = testenv::ScratchDir("backup_copy");
  const std::string source = folder + "/velda.mdb";
  std::string bytes(3 << 20, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 % 251);
  WriteFile(source, bytes);
  ASSERT_EQ(::chmod(source.c_str(), 0640), 0);
  const std::string backup = folder + "/VELDA08122026093015.MDB";
  // Two relinks in the same second: the first run's copy is the only copy of the original.
  WriteFile(backup, "the first run's copy of the original");
  try {
    DurableCopy(source, backup);
    ADD_FAILURE() << "replaced " << backup;
  } catch (const db::Error& e) {
    EXPECT_EQ(e.number(), 58);
    EXPECT_NE(e.description().find(backup), std::string::npos) << e.description();
  }
  EXPECT_EQ(ReadFile(backup), "the first run's copy of the original");
  EXPECT_EQ(Listing(folder), (std::vector<std::string>{"VELDA08122026093015.MDB", "velda.mdb"}));
  ASSERT_EQ(::unlink(backup.c_str()), 0);

  const mode_t old_mask = ::umask(0);  // a wide umask must not widen the copy
  DurableCopy(source, backup);
  ::umask(old_mask);

  EXPECT_EQ(ReadFile(backup), bytes);
  struct stat st;
  ASSERT_EQ(::stat(backup.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Listing(folder), (std::vector<std::string>{"VELDA08122026093015.MDB", "velda.mdb"}));
  EXPECT_EQ(ReadFile(source), bytes);
}

TEST(DurableCopy, AFailedCopyLeavesNoTemporaryFile) {
  const std::string folder = testenv::ScratchDir("backup_fail");
  const std::string source = folder + "/velda.mdb";
  WriteFile(source, "jet bytes");
  // The rename cannot replace a folder: the copy was written and must be removed again.
  fs::create_directory(folder + "/VELDA.MDB");
  EXPECT_NE(ErrorNumber([&] { DurableCopy(source, folder + "/VELDA.MDB"); }), 0);
  EXPECT_EQ(Listing(folder), (std::vector<std::string>{"VELDA.MDB", "velda.mdb"}));
  EXPECT_TRUE(fs::is_empty(folder + "/VELDA.MDB"));

  EXPECT_EQ(ErrorNumber([&] { DurableCopy(folder + "/absent.mdb", folder + "/B.MDB"); }), 53);
  EXPECT_EQ(Listing(folder), (std::vector<std::string>{"VELDA.MDB", "velda.mdb"}));
}

TEST(DurableCopy, AKillMidCopyLeavesNoPartialCopy) {
  const std::string folder = testenv::ScratchDir("backup_kill");
  const std::string source = folder + "/velda.mdb";
  WriteFile(source, std::string(size_t{256} << 20, 'j'));
  const std::string backup = folder + "/VELDA08122026093015.MDB";
  for (int delay_ms : {1, 20, 60}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      try {
        DurableCopy(source, backup);
      } catch (...) {
      }
      ::_exit(0);
    }
    ::usleep(static_cast<useconds_t>(delay_ms) * 1000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    // Either nothing was named or the whole copy was; never a part of it, named or hidden.
    const std::vector<std::string> left = Listing(folder);
    if (left.size() == 2) {
      EXPECT_EQ(left[0], "VELDA08122026093015.MDB");
      EXPECT_EQ(fs::file_size(backup), fs::file_size(source));
      fs::remove(backup);
    } else {
      EXPECT_EQ(left, std::vector<std::string>{"velda.mdb"}) << "after " << delay_ms << " ms";
    }
  }
}

TEST(DurableCopy, AFileHeldByAWriterIsErrorSeventy) {
  const std::string folder = testenv::ScratchDir("backup_held");
  const std::string source = folder + "/velda.mdb";
  WriteFile(source, "jet bytes");

  // A writer of this program holds the file exclusively.
  const int writer = ::open(source.c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::flock(writer, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(ErrorNumber([&] { DurableCopy(source, folder + "/B.MDB"); }), 70);
  ::close(writer);
  EXPECT_EQ(Listing(folder), std::vector<std::string>{"velda.mdb"});
}

TEST(DurableCopy, PermissionProblemsAreErrorSeventy) {
  const std::string folder = testenv::ScratchDir("backup_perm");
  const std::string source = folder + "/velda.mdb";
  WriteFile(source, "jet bytes");
  if (::geteuid() == 0) GTEST_SKIP() << "root reads and writes past file permissions";
  const std::string locked = folder + "/locked";
  fs::create_directory(locked);
  ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
  EXPECT_EQ(ErrorNumber([&] { DurableCopy(source, locked + "/B.MDB"); }), 70);
  EXPECT_TRUE(fs::is_empty(locked));
  ASSERT_EQ(::chmod(source.c_str(), 0), 0);
  EXPECT_EQ(ErrorNumber([&] { DurableCopy(source, folder + "/C.MDB"); }), 70);
  ::chmod(locked.c_str(), 0755);
  ::chmod(source.c_str(), 0644);
}

}  // namespace
}  // namespace links
