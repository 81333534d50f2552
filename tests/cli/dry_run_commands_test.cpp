// migrate --dry-run and link --dry-run against the test server: what they print is what the
// real commands do, and nothing changes anywhere.
#include "cli/dry_run_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "cli/console_run.h"
#include "cli/dry_run_session.h"
#include "cli/exit_status.h"
#include "db/providers.h"
#include "db/source_session.h"
#include "migrate/migration_engine.h"
#include "support/test_env.h"
#include "support/test_files.h"
#include "ui/recording_screen.h"

namespace {

using clitest::At;
using clitest::Outcome;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
  }
  return lines;
}

// Everything information_schema says about the tables of `database`, as one text.
std::string Schema(const std::string& database) {
  db::Connection admin;
  admin.Open(testenv::TestServerConnectionString());
  std::string all;
  for (const char* query :
       {"SELECT TABLE_NAME, ENGINE, TABLE_ROWS FROM information_schema.TABLES",
        "SELECT TABLE_NAME, COLUMN_NAME, COLUMN_TYPE FROM information_schema.COLUMNS",
        "SELECT TABLE_NAME, INDEX_NAME, COLUMN_NAME FROM information_schema.STATISTICS"}) {
    std::unique_ptr<db::Recordset> rs =
        admin.Execute(std::string(query) + " WHERE TABLE_SCHEMA = '" + database + "' ORDER BY 1, 2, 3");
    for (; !rs->Eof(); rs->MoveNext())
      for (int i = 0; i < rs->Fields().Count(); ++i) all += rs->Fields().Item(i).GetValue().ToString() + "|";
    all += "\n";
  }
  return all;
}

// A MySQL session that sends every statement on and remembers it.
class Recorder : public db::Session {
 public:
  Recorder(std::unique_ptr<db::Session> server, std::vector<std::string>* log)
      : server_(std::move(server)), log_(log) {}
  std::unique_ptr<db::Cursor> Execute(const std::string& text) override {
    log_->push_back(text);
    return server_->Execute(text);
  }

 private:
  std::unique_ptr<db::Session> server_;
  std::vector<std::string>* log_;
};

long CountRows(const std::string& database, const std::string& table) {
  db::Connection admin;
  admin.Open(testenv::TestServerConnectionString(database));
  return long(admin.Execute("SELECT COUNT(*) FROM " + table)->Fields().Item(0).GetValue().AsInteger());
}

TEST(MigrateDryRun, PrintsWhatARealMigrationSendsAndChangesNothing) {
  MDB_REQUIRE_SERVER();
  const std::string file =
      testenv::CopyToScratch(testenv::FixturePath("velda_sample.mdb"), "dry_run_file");
  const std::string bytes = testenv::FileBytes(file);
  clitest::FreshDatabase("dry_empty");
  clitest::Admin("CREATE TABLE dry_empty.tblx (keep INT)");  // dropped by a real run
  const std::string before = Schema("dry_empty");

  const Outcome dry = clitest::Run(At({"migrate", "--source", file, "--dry-run"}, "dry_empty"));
  ASSERT_EQ(dry.status, cli::kExitSuccess) << dry.All();
  EXPECT_EQ(Schema("dry_empty"), before);
  EXPECT_EQ(testenv::FileBytes(file), bytes);

  // A real migration into an empty database, every statement recorded on its way.
  clitest::FreshDatabase("dry_real");
  std::vector<std::string> sent;
  db::Connection mysql;
  mysql.Attach(std::make_unique<Recorder>(
      db::OpenSession(testenv::TestServerConnectionString("dry_real")), &sent));
  db::OpenSourceSession(file, db::kSourcePassword);
  ui::RecordingScreen screen;
  migrate::MigrationEngine engine(db::SourceSession(), mysql, screen);
  ASSERT_EQ(engine.CreateAndInsertData_To_MYSQLTable(file), "OK");

  // What it sent to shape the tables, in order, and the rows that landed in each.
  std::vector<std::string> expected;
  std::string table;
  auto rows_line = [&] {
    if (!table.empty()) expected.push_back(cli::DryRunSession::RowsLine(table, CountRows("dry_real", table)));
    table.clear();
  };
  for (const std::string& s : sent) {
    if (cli::IsReadStatement(s) || cli::IsRowStatement(s)) continue;
    if (s.rfind("DROP table ", 0) == 0) rows_line();
    if (s.rfind("CREATE table ", 0) == 0) table = s.substr(13, s.find(' ', 13) - 13);
    expected.push_back(s);
  }
  rows_line();
  expected.push_back("OK (dry run: nothing was changed)");
  EXPECT_EQ(Lines(dry.out), expected);
  EXPECT_NE(dry.out.find("-- 40 rows into tblemployee\n"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("ALTER TABLE tbl_shift ADD CONSTRAINT  PRIMARY KEY (`ShiftCode`, `DayNo`);"),
            std::string::npos) << dry.out;
}

TEST(MigrateDryRun, ExitStatusSaysWhetherTheRunWouldBeRefused) {
  const std::string sample = testenv::FixturePath("velda_sample.mdb");
  EXPECT_EQ(clitest::Run({"migrate", "--source", "/no/such.mdb", "--dry-run"}).status,
            cli::kExitSourceUnreadable);
  EXPECT_EQ(clitest::Run({"migrate", "--source", testenv::FixturePath("other_password.mdb"),
                          "--dry-run", "--port", "1"})
                .status,
            cli::kExitSourceUnreadable);
  EXPECT_EQ(clitest::Run({"migrate", "--source", sample, "--dry-run", "--server", "127.0.0.1",
                          "--port", "1"})
                .status,
            cli::kExitServerUnreachable);
  MDB_REQUIRE_SERVER();
  const Outcome refused = clitest::Run(
      At({"migrate", "--source", sample, "--dry-run", "--user", "nobody", "--password", "pw-9x7"},
         "mysql"));
  EXPECT_EQ(refused.status, cli::kExitServerUnreachable) << refused.All();
  EXPECT_EQ(refused.All().find("pw-9x7"), std::string::npos) << refused.All();
}

TEST(LinkDryRun, PrintsThePlanWithoutThePasswordAndChangesNothing) {
  MDB_REQUIRE_SERVER();
  const std::string folder = testenv::ScratchDir("link_dry_run");
  const std::string file = folder + "/Velda.mdb";
  std::filesystem::copy_file(testenv::FixturePath("velda_sample.mdb"), file);
  const std::string bytes = testenv::FileBytes(file);
  const std::string odbc_ini = testenv::ScratchDir("link_dry_run_odbc") + "/odbc.ini";
  setenv("ODBCINI", odbc_ini.c_str(), 1);
  clitest::FreshDatabase("link_dry");
  clitest::Admin("CREATE TABLE link_dry.tblemployee (id INT)");
  clitest::Admin("CREATE TABLE link_dry.tblnew (id INT)");
  clitest::Admin("CREATE TABLE link_dry.tblencrword (id INT)");
  clitest::Admin("CREATE USER IF NOT EXISTS 'dry_user'@'%' IDENTIFIED BY 'Dry-Secret-77'");
  clitest::Admin("GRANT SELECT ON link_dry.* TO 'dry_user'@'%'");

  const Outcome dry = clitest::Run(At({"link", "--source", file, "--dry-run", "--user", "dry_user",
                                       "--password", "Dry-Secret-77"},
                                      "link_dry"));
  unsetenv("ODBCINI");
  ASSERT_EQ(dry.status, cli::kExitSuccess) << dry.All();
  EXPECT_EQ(dry.All().find("Dry-Secret-77"), std::string::npos) << dry.All();
  const std::string& out = dry.out;
  EXPECT_NE(out.find("backup copy: " + folder + "/VELDA"), std::string::npos) << out;
  EXPECT_NE(out.find("data source attribute: DSN=link_dry\n"), std::string::npos) << out;
  EXPECT_NE(out.find("data source attribute: pwd=***\n"), std::string::npos) << out;
  EXPECT_NE(out.find("data source attribute: Password=***\n"), std::string::npos) << out;
  EXPECT_NE(out.find("DROP TABLE tblemployee\nlink tblemployee to tblemployee through "
                     "ODBC;DSN=link_dry;\n"),
            std::string::npos) << out;
  EXPECT_NE(out.find("\nlink tblnew to tblnew through ODBC;DSN=link_dry;\n"), std::string::npos)
      << "a name the file lacks gets no DROP\n" << out;
  EXPECT_NE(out.find("-- kept as it is: tblencrword\n"), std::string::npos) << out;
  EXPECT_NE(out.find("UPDATE tblSystem_Parameter_A SET ISMySQLDB = 'YES'\n"), std::string::npos);
  EXPECT_EQ(testenv::FileBytes(file), bytes);
  EXPECT_FALSE(std::filesystem::exists(odbc_ini)) << "no data source was registered";
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++entries;
  EXPECT_EQ(entries, 1u) << "no backup copy was made";
}

}  // namespace
