// A migration stopped by Ctrl-C, a kill or a closed terminal leaves none of the payroll rows it
// was carrying on the disk.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/command_line.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

long CountRows(db::Connection& admin, const std::string& table) {
  try {
    auto rs = admin.Execute("SELECT COUNT(*) FROM " + table);
    return rs->Eof() ? 0 : long(rs->Fields().Item(0).GetValue().AsInteger());
  } catch (const std::exception&) {
    return 0;  // not created yet
  }
}

// Whether a session is sending rows of `table` in `database` right now.
bool CarryingRows(db::Connection& admin, const std::string& database, const std::string& table) {
  auto rs = admin.Execute(
      "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB = '" + database +
      "' AND (INFO LIKE 'LOAD DATA % INTO TABLE " + table + " %' OR INFO LIKE 'INSERT INTO " +
      table + " %')");
  return !rs->Eof() && rs->Fields().Item(0).GetValue().AsInteger() > 0;
}

TEST(InterruptedMigration, NoRowFileOutlivesTheProcess) {
  MDB_REQUIRE_SERVER();
  const std::optional<std::string> shared = testenv::SharedDir();
  if (!shared || !fs::exists(*shared + "/fixtures/bench_attendance.mdb")) {
    GTEST_SKIP() << "../shared/fixtures/bench_attendance.mdb is absent";
  }
  const std::string bench = *shared + "/fixtures/bench_attendance.mdb";
  const std::string port = std::to_string(testenv::TestServer()->port);
  db::Connection admin;
  admin.Open(db::MySqlConnectionString({"127.0.0.1", port, "", "root", ""}));
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(signal);
    const std::string database = "interrupted_" + std::to_string(signal);
    admin.Execute("DROP DATABASE IF EXISTS " + database);
    admin.Execute("CREATE DATABASE " + database);
    const std::string tmp = testenv::ScratchDir("interrupted_tmp_" + std::to_string(signal));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::setenv("TMPDIR", tmp.c_str(), 1);
      std::ostringstream out, err;
      cli::RunCommandLine({"migrate", "--source", bench, "--server", "127.0.0.1", "--port", port,
                           "--database", database, "--yes"},
                          out, err);
      ::_exit(0);
    }
    // Stopped in the middle of the big table's copy: once rows of it are in, or once a
    // statement carrying them is under way (a table loaded whole shows no row before its end).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (CountRows(admin, database + ".tblattendance_log") == 0 &&
           !CarryingRows(admin, database, "tblattendance_log") &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the process ends by the signal, as it would have";
    EXPECT_LT(CountRows(admin, database + ".tblattendance_log"), 300000) << "it was stopped mid-copy";
    EXPECT_TRUE(fs::is_empty(tmp)) << "rows left in " << tmp;
    admin.Execute("DROP DATABASE " + database);
  }
}

}  // namespace
