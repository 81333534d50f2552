// `mdbtomysql verify` against the test server: a fresh migration is equal, each kind of change
// made in MySQL afterwards is named with its table, key and column, a relinked file is compared
// through its links, and refusals have statuses of their own.
#include "cli/verify_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "cli/exit_status.h"
#include "cli/console_run.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

using clitest::Admin;
using clitest::At;
using clitest::Outcome;

// A copy of every table of `from` in `to`, keys, indexes and counters included.
void CloneDatabase(const std::string& from, const std::string& to) {
  clitest::FreshDatabase(to);
  db::Connection admin;
  admin.Open(testenv::TestServerConnectionString());
  std::vector<std::string> tables;
  std::unique_ptr<db::Recordset> rs = admin.Execute(
      "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = '" + from + "'");
  for (; !rs->Eof(); rs->MoveNext()) tables.push_back(rs->Fields().Item(0).GetValue().ToString());
  for (const std::string& t : tables) {
    admin.Execute("CREATE TABLE " + to + ".`" + t + "` LIKE " + from + ".`" + t + "`");
    admin.Execute("INSERT INTO " + to + ".`" + t + "` SELECT * FROM " + from + ".`" + t + "`");
  }
}

// The line of `table` in a verify report, and the lines under it.
std::string TableBlock(const std::string& out, const std::string& table) {
  const size_t start = out.find("\n" + table + ": ");
  if (start == std::string::npos && out.rfind(table + ": ", 0) != 0) return {};
  size_t at = start == std::string::npos ? 0 : start + 1;
  std::string block;
  for (size_t end; at < out.size(); at = end + 1) {
    end = out.find('\n', at);
    const std::string line = out.substr(at, end - at);
    if (!block.empty() && line.rfind("  ", 0) != 0) break;
    block += line + "\n";
  }
  return block;
}

// Each test has databases of its own: ctest runs the tests of this file in parallel processes.
class VerifyCommand : public testing::Test {
 protected:
  static std::string Sample() { return testenv::FixturePath("velda_sample.mdb"); }
  // A fresh migration of the sample into `database`.
  static void Migrated(const std::string& database) {
    clitest::FreshDatabase(database);
    const Outcome migrated =
        clitest::Run(At({"migrate", "--source", Sample(), "--yes", "--quiet"}, database));
    ASSERT_EQ(migrated.status, 0) << migrated.All();
  }
  static Outcome Verify(const std::string& database, const std::string& file = Sample()) {
    return clitest::Run(At({"verify", "--source", file}, database));
  }
};

TEST_F(VerifyCommand, AFreshMigrationIsEqualTableByTable) {
  MDB_REQUIRE_SERVER();
  Migrated("verify_fresh");
  const Outcome v = Verify("verify_fresh");
  EXPECT_EQ(v.status, cli::kExitSuccess) << v.All();
  EXPECT_NE(v.out.find("tblEmployee: 40 rows in the file, 40 in MySQL, 40 equal\n"),
            std::string::npos) << v.out;
  EXPECT_NE(v.out.find("W_Temp: 0 rows in the file, 0 in MySQL, 0 equal\n"), std::string::npos);
  EXPECT_NE(v.out.find("9 tables: 9 equal, 0 different, 0 not compared; 96 rows in the file, 96 "
                       "in MySQL, 96 equal; "),
            std::string::npos) << v.out;
  EXPECT_NE(v.out.find("\nEQUAL\n"), std::string::npos);
  const Outcome quiet =
      clitest::Run(At({"verify", "--source", Sample(), "--quiet"}, "verify_fresh"));
  EXPECT_EQ(quiet.out.find("tblEmployee"), std::string::npos) << "--quiet names only differences";
}

TEST_F(VerifyCommand, EachChangeInMySqlIsNamedByTableKeyAndColumn) {
  MDB_REQUIRE_SERVER();
  Migrated("verify_base");
  struct Change {
    const char* what;
    const char* statement;
    const char* table;
    const char* difference;
  };
  const Change changes[] = {
      {"one value", "UPDATE tblemployee SET Salary = 0.11 WHERE EmpID = 17", "tblEmployee",
       "  EmpID=17: column Salary: file '0.1', MySQL '0.11'\n"},
      {"one row deleted", "DELETE FROM tbl_shift WHERE DayNo = 1 AND ShiftCode = 'AM'",
       "Tbl_Shift", "  ShiftCode='AM', DayNo=1: not in MySQL\n"},
      {"one row added", "INSERT INTO tblleave_header (LeaveID, EmpID) VALUES (999, 1)",
       "tblLeave_Header", "  LeaveID=999: in MySQL only\n"},
      {"one column dropped", "ALTER TABLE tblemployee DROP COLUMN Remarks", "tblEmployee",
       "  column Remarks: missing in MySQL\n"},
      {"one table dropped", "DROP TABLE w_log", "w_log", "  missing in MySQL\n"},
      {"a trailing space", "UPDATE tblencrword SET Word = CONCAT(Word, ' ') WHERE Word = 'alpha'",
       "tblencrword", "  MYSQL_IDD=1: column Word: file 'alpha', MySQL 'alpha '\n"},
      // The migration's rules: a Null text is sent as '', a date-time to the second.
      {"NULL for an empty text", "UPDATE tblx SET B = NULL WHERE A = 3", "TBLX",
       "  MYSQL_IDD=3: column B: file '', MySQL NULL\n"},
      {"one second later", "UPDATE tblemployee SET JoinDate = JoinDate + INTERVAL 1 SECOND "
                           "WHERE EmpID = 23",
       "tblEmployee",
       "  EmpID=23: column JoinDate: file '2099-12-31 23:59:59', MySQL '2100-01-01 00:00:00'\n"},
      {"a column type", "ALTER TABLE tblx MODIFY B varchar(30)", "TBLX",
       "  column B: MySQL has varchar(30), the migration makes varchar(20)\n"},
      {"an index dropped", "DROP INDEX index_tblemployee_DeptID ON tblemployee", "tblEmployee",
       "  index index_tblemployee_DeptID on DeptID: missing in MySQL\n"},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    CloneDatabase("verify_base", "verify_changed");
    db::Connection admin;
    admin.Open(testenv::TestServerConnectionString("verify_changed"));
    admin.Execute(c.statement);
    const Outcome v = Verify("verify_changed");
    EXPECT_EQ(v.status, cli::kExitDifferences) << v.All();
    const std::string block = TableBlock(v.out, c.table);
    EXPECT_NE(block.find("; 1 difference\n"), std::string::npos) << v.out;
    EXPECT_NE(block.find(c.difference), std::string::npos) << v.out;
    EXPECT_NE(v.out.find(": 8 equal, 1 different, 0 not compared;"), std::string::npos)
        << "only the changed table differs\n" << v.out;
    EXPECT_NE(v.out.find("\nDIFFERENT\n"), std::string::npos);
  }
}

TEST_F(VerifyCommand, ARelinkedFileIsComparedThroughItsLinks) {
  MDB_REQUIRE_SERVER();
  Migrated("verify_linked_base");
  const std::string folder = testenv::ScratchDir("verify_relinked");
  const std::string file = testenv::CopyToScratch(Sample(), "verify_relinked");
  const std::string odbc_ini = testenv::ScratchDir("verify_relinked_odbc") + "/odbc.ini";
  setenv("ODBCINI", odbc_ini.c_str(), 1);
  CloneDatabase("verify_linked_base", "verify_linked");
  const Outcome linked = clitest::Run(At({"link", "--source", file, "--quiet"}, "verify_linked"));
  ASSERT_EQ(linked.status, 0) << linked.All();
  const Outcome v = Verify("verify_linked", file);
  EXPECT_EQ(v.status, cli::kExitSuccess) << v.All();
  // The links bear the MySQL tables' names.
  EXPECT_NE(v.out.find("tblemployee: 40 rows in the file, 40 in MySQL, 40 equal (through its link)"),
            std::string::npos) << v.out;
  // The table the system keeps in the file is not linked, and is compared as migrated.
  EXPECT_NE(v.out.find("tblencrword: 3 rows in the file, 3 in MySQL, 3 equal\n"),
            std::string::npos) << v.out;
  Admin("DELETE FROM verify_linked.tblx WHERE A = 1");
  const Outcome after = Verify("verify_linked", file);
  EXPECT_EQ(after.status, cli::kExitSuccess)
      << "through a link the file shows what MySQL holds\n" << after.All();
  EXPECT_NE(after.out.find("tblx: 4 rows in the file, 4 in MySQL, 4 equal (through its link)"),
            std::string::npos) << after.out;
  unsetenv("ODBCINI");
}

TEST_F(VerifyCommand, TheBenchFileIsEqualAndOneRowDeletedAmongItsPagesIsFound) {
  MDB_REQUIRE_SERVER();
  MDB_REQUIRE_SHARED();
  const std::string bench = *testenv::SharedDir() + "/fixtures/bench_attendance.mdb";
  if (!std::filesystem::exists(bench)) GTEST_SKIP() << bench << " is absent";
  clitest::FreshDatabase("verify_bench");
  const Outcome migrated =
      clitest::Run(At({"migrate", "--source", bench, "--yes", "--quiet"}, "verify_bench"));
  ASSERT_EQ(migrated.status, 0) << migrated.All();
  const Outcome v = Verify("verify_bench", bench);
  EXPECT_EQ(v.status, cli::kExitSuccess) << v.All();
  EXPECT_NE(v.out.find("tblAttendance_Log: 300000 rows in the file, 300000 in MySQL, 300000 "
                       "equal\n"),
            std::string::npos) << v.out;
  Admin("DELETE FROM verify_bench.tblattendance_log WHERE LogID = 123457");
  const Outcome after = Verify("verify_bench", bench);
  EXPECT_EQ(after.status, cli::kExitDifferences) << after.All();
  EXPECT_NE(after.out.find("tblAttendance_Log: 300000 rows in the file, 299999 in MySQL, 299999 "
                           "equal; 1 difference\n  LogID=123457: not in MySQL\n"),
            std::string::npos) << after.out;
}

TEST_F(VerifyCommand, RefusalsBeforeTheStartHaveStatusesOfTheirOwn) {
  EXPECT_EQ(clitest::Run({"verify"}).status, cli::kExitUsage);
  EXPECT_EQ(clitest::Run({"verify", "--source", "/no/such.mdb"}).status, cli::kExitSourceUnreadable);
  EXPECT_EQ(clitest::Run({"verify", "--source", testenv::FixturePath("other_password.mdb")}).status,
            cli::kExitSourceUnreadable);
  MDB_REQUIRE_SERVER();
  const Outcome refused =
      clitest::Run(At({"verify", "--source", Sample(), "--user", "nobody", "--password", "wrong-pw"},
             "mysql"));
  EXPECT_EQ(refused.status, cli::kExitServerUnreachable) << refused.All();
  EXPECT_EQ(refused.All().find("wrong-pw"), std::string::npos) << refused.All();
  const Outcome no_database = Verify("verify_no_such_database");
  EXPECT_EQ(no_database.status, cli::kExitServerUnreachable) << no_database.All();
}

}  // namespace
