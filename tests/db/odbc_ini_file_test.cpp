// The data source file rewritten whole under a lock: other data sources keep every byte, a bad
// value changes nothing, writers at once lose nothing.
#include "db/odbc_ini_file.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "support/test_files.h"

namespace db {
namespace {

namespace fs = std::filesystem;

const char kTwoSources[] =
    "; data sources of this account\n"
    "[Payroll]\n"
    "Driver = PostgreSQL Unicode\n"
    "Servername=db1 ; the old server\n"
    "\n"
    "[velda_mysql]\n"
    "Driver=old\n"
    "Password=old\n"
    "\n"
    "[Archive]\n"
    "Driver=SQLite3\n"
    "Database=/srv/archive.db\n";

std::vector<std::pair<std::string, std::string>> Pairs(const std::string& password) {
  return {{"Driver", "MySQL ODBC 5.3 UNICODE Driver"}, {"Server", " localhost "},
          {"Password", password}, {"Option", "3"}};
}

TEST(WriteIniSection, ReplacesItsSectionInPlaceAndKeepsEveryOtherByte) {
  const std::string path = testenv::ScratchDir("ini_replace") + "/odbc.ini";
  testenv::WriteBytes(path, kTwoSources);
  ::chmod(path.c_str(), 0640);
  std::string failure;
  ASSERT_TRUE(WriteIniSection(path, "VELDA_MYSQL", Pairs("p=w rd"), &failure)) << failure;
  EXPECT_EQ(testenv::FileBytes(path),
            "; data sources of this account\n"
            "[Payroll]\n"
            "Driver = PostgreSQL Unicode\n"
            "Servername=db1 ; the old server\n"
            "\n"
            "[VELDA_MYSQL]\n"
            "Driver=MySQL ODBC 5.3 UNICODE Driver\n"
            "Server= localhost \n"
            "Password=p=w rd\n"
            "Option=3\n"
            "\n"
            "[Archive]\n"
            "Driver=SQLite3\n"
            "Database=/srv/archive.db\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // A new name goes at the end, after a blank line; a new file is its owner's only.
  ASSERT_TRUE(WriteIniSection(path, "ORV_MYSQL", Pairs(""), &failure)) << failure;
  const std::string text = testenv::FileBytes(path);
  EXPECT_NE(text.find("Database=/srv/archive.db\n\n[ORV_MYSQL]\nDriver="), std::string::npos);
  const std::string fresh = testenv::ScratchDir("ini_fresh") + "/odbc.ini";
  ASSERT_TRUE(WriteIniSection(fresh, "VELDA_MYSQL", Pairs(""), &failure)) << failure;
  ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the file holds passwords";
}

TEST(WriteIniSection, ALineEndOrAControlCharacterChangesNothing) {
  const std::string path = testenv::ScratchDir("ini_refuse") + "/odbc.ini";
  testenv::WriteBytes(path, kTwoSources);
  for (const std::string& password : {std::string("a\n[Payroll]\nDriver=evil"),
                                      std::string("a\rb"), std::string("a\x1b" "b")}) {
    std::string failure;
    EXPECT_FALSE(WriteIniSection(path, "VELDA_MYSQL", Pairs(password), &failure));
    EXPECT_NE(failure.find("Password"), std::string::npos) << failure;
    EXPECT_EQ(testenv::FileBytes(path), kTwoSources);
  }
  std::string failure;
  EXPECT_FALSE(WriteIniSection(path, "VELDA]\n[Payroll", Pairs(""), &failure));
  EXPECT_FALSE(WriteIniSection(path, "", Pairs(""), &failure));
  EXPECT_EQ(testenv::FileBytes(path), kTwoSources);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u) << "no temporary file is left";
}

TEST(WriteIniSection, WritersAtOnceLoseNoSection) {
  const std::string path = testenv::ScratchDir("ini_race") + "/odbc.ini";
  testenv::WriteBytes(path, kTwoSources);
  constexpr int kWriters = 6, kRounds = 15;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::string failure;
      for (int r = 0; r < kRounds; ++r) {
        if (!WriteIniSection(path, "DSN_" + std::to_string(w), Pairs(std::to_string(r)),
                             &failure)) {
          ::_exit(1);
        }
      }
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string text = testenv::FileBytes(path);
  for (int w = 0; w < kWriters; ++w) {
    const std::string section = "[DSN_" + std::to_string(w) + "]\n";
    EXPECT_NE(text.find(section), std::string::npos) << text;
    EXPECT_EQ(text.find(section), text.rfind(section)) << text;
    EXPECT_NE(text.find(section + "Driver=MySQL ODBC 5.3 UNICODE Driver\nServer= localhost \n"
                                  "Password=" + std::to_string(kRounds - 1) + "\n"),
              std::string::npos)
        << text;
  }
  EXPECT_NE(text.find("[Payroll]\nDriver = PostgreSQL Unicode\nServername=db1 ; the old server\n"),
            std::string::npos);
  EXPECT_NE(text.find("[Archive]\nDriver=SQLite3\nDatabase=/srv/archive.db\n"), std::string::npos);
}

}  // namespace
}  // namespace db
