// The user's data source file through the link command: other data sources survive a kill at
// any write, two runs at once, and a password that would break the file.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/command_line.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

const char kOtherSources[] =
    "; this account's data sources\n"
    "[Payroll]\n"
    "Driver=PostgreSQL Unicode\n"
    "Servername=db1\n"
    "\n"
    "[Archive]\n"
    "Driver=SQLite3\n"
    "Database=/srv/archive.db\n";

std::string Port() { return std::to_string(testenv::TestServer()->port); }

void MakeDatabase(const std::string& name) {
  db::Connection admin;
  admin.Open(db::MySqlConnectionString({"127.0.0.1", Port(), "", "root", ""}));
  admin.Execute("DROP DATABASE IF EXISTS " + name);
  admin.Execute("CREATE DATABASE " + name);
  admin.Execute("CREATE TABLE " + name + ".tblx (id INT PRIMARY KEY)");
}

// A copy of the sample in a folder of its own, and the odbc.ini beside it.
struct Place {
  std::string folder, file, ini;
  explicit Place(const std::string& name) {
    folder = testenv::ScratchDir(name);
    fs::remove_all(folder);
    fs::create_directories(folder + "/odbc");
    file = folder + "/VELDA.mdb";
    fs::copy_file(testenv::FixturePath("velda_sample.mdb"), file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    ini = folder + "/odbc/odbc.ini";
    testenv::WriteBytes(ini, kOtherSources);
  }
  std::string Command(const std::string& database, const std::string& before = "") const {
    return "ODBCINI='" + ini + "' " + before + MDB_CLI_RUNNER + " link --source '" + file +
           "' --server 127.0.0.1 --port " + Port() + " --database " + database;
  }
  size_t FilesBesideIni() const {
    size_t n = 0;
    for (const auto& entry : fs::directory_iterator(folder + "/odbc")) {
      (void)entry;
      ++n;
    }
    return n;
  }
};

bool KeepsOtherSources(const std::string& text) {
  return text.find("[Payroll]\nDriver=PostgreSQL Unicode\nServername=db1\n") != std::string::npos &&
         text.find("[Archive]\nDriver=SQLite3\nDatabase=/srv/archive.db\n") != std::string::npos &&
         text.rfind("; this account's data sources\n", 0) == 0;
}

TEST(LinkDataSources, AKillAtAnyWriteLeavesTheOldFileOrTheNewOne) {
  MDB_REQUIRE_SERVER();
  if (testenv::RunCommand("strace -qq -o /dev/null true; echo rc=$?").find("rc=0") ==
      std::string::npos) {
    GTEST_SKIP() << "strace cannot trace here (missing, or ptrace not allowed)";
  }
  MakeDatabase("dsn_kill");
  // Every write the command makes, up to and past the data source file's.
  Place count("dsn_kill_count");
  const std::string trace = count.folder + "/trace";
  testenv::RunCommand(
      count.Command("dsn_kill", "strace -f -qq -o '" + trace + "' -e trace=write,rename "));
  std::istringstream lines(testenv::FileBytes(trace));
  int writes = 0, until = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("write(") != std::string::npos) ++writes;
    if (line.find("rename(") != std::string::npos && line.find("odbc.ini") != std::string::npos) {
      until = writes + 1;  // the registration's writes are done by its rename
    }
  }
  ASSERT_GT(until, 0) << testenv::FileBytes(trace);
  for (int k = 1; k <= until; ++k) {
    SCOPED_TRACE(k);
    Place p("dsn_kill_run");
    testenv::RunCommand(p.Command("dsn_kill", "strace -f -qq -o /dev/null -e trace=write "
                                              "-e inject=write:signal=KILL:when=" +
                                                  std::to_string(k) + " "));
    const std::string text = testenv::FileBytes(p.ini);
    EXPECT_TRUE(text == kOtherSources || (KeepsOtherSources(text) &&
                                          text.find("[dsn_kill]\nDriver=") != std::string::npos))
        << text;
    EXPECT_GE(text.size(), std::string(kOtherSources).size());
    EXPECT_EQ(p.FilesBesideIni(), 1u) << "a temporary file was left beside odbc.ini";
  }
}

TEST(LinkDataSources, TwoRunsAtOnceKeepEverySection) {
  MDB_REQUIRE_SERVER();
  MakeDatabase("dsn_race_a");
  MakeDatabase("dsn_race_b");
  for (int round = 0; round < 5; ++round) {
    Place a("dsn_race_a"), b("dsn_race_b");
    // Both register into the same user file.
    const std::string shared = a.ini;
    testenv::WriteBytes(shared, kOtherSources);
    const std::string one = "ODBCINI='" + shared + "' " + MDB_CLI_RUNNER + " link --source '" +
                            a.file + "' --server 127.0.0.1 --port " + Port() +
                            " --database dsn_race_a";
    const std::string two = "ODBCINI='" + shared + "' " + MDB_CLI_RUNNER + " link --source '" +
                            b.file + "' --server 127.0.0.1 --port " + Port() +
                            " --database dsn_race_b";
    testenv::RunCommand("( " + one + " >/dev/null 2>&1 & " + two + " >/dev/null 2>&1 & wait )");
    const std::string text = testenv::FileBytes(shared);
    EXPECT_TRUE(KeepsOtherSources(text)) << text;
    EXPECT_NE(text.find("[dsn_race_a]\nDriver="), std::string::npos) << text;
    EXPECT_NE(text.find("[dsn_race_b]\nDriver="), std::string::npos) << text;
  }
}

TEST(LinkDataSources, ALineEndInThePasswordIsRefusedAndChangesNothing) {
  MDB_REQUIRE_SERVER();
  MakeDatabase("dsn_newline");
  db::Connection admin;
  admin.Open(db::MySqlConnectionString({"127.0.0.1", Port(), "", "root", ""}));
  admin.Execute("DROP USER IF EXISTS 'nl_user'@'%'");
  admin.Execute("CREATE USER 'nl_user'@'%' IDENTIFIED BY 'a\\n[Payroll]\\nDriver=x'");
  admin.Execute("GRANT ALL ON dsn_newline.* TO 'nl_user'@'%'");
  Place p("dsn_newline");
  setenv("ODBCINI", p.ini.c_str(), 1);
  std::ostringstream out, err;
  const int status = cli::RunCommandLine(
      {"link", "--source", p.file, "--server", "127.0.0.1", "--port", Port(), "--database",
       "dsn_newline", "--user", "nl_user", "--password", "a\n[Payroll]\nDriver=x"},
      out, err);
  EXPECT_NE(status, 0);
  EXPECT_EQ(testenv::FileBytes(p.ini), kOtherSources);
  EXPECT_NE(err.str().find("control character"), std::string::npos) << err.str();
  EXPECT_EQ(out.str().find("a\n[Payroll]"), std::string::npos) << "no password in any output";
  EXPECT_EQ(err.str().find("a\n[Payroll]"), std::string::npos) << "no password in any output";
  admin.Execute("DROP USER 'nl_user'@'%'");
}

}  // namespace
