#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/exit_status.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "support/test_env.h"

namespace {

struct Outcome {
  int status;
  std::string out, err;
};

Outcome Command(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = cli::RunCommandLine(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(CommandLine, UsageErrorsExitWithTwo) {
  EXPECT_EQ(Command({"frobnicate"}).status, 2);
  EXPECT_EQ(Command({"tables"}).status, 2);
  EXPECT_EQ(Command({"export", "a.mdb"}).status, 2);
  EXPECT_EQ(Command({"tables", "a.mdb", "--password"}).status, 2);
  const Outcome no_yes = Command({"migrate", "--source", testenv::FixturePath("velda_sample.mdb")});
  EXPECT_EQ(no_yes.status, 2);
  EXPECT_NE(no_yes.err.find("--yes is required"), std::string::npos);
  EXPECT_EQ(Command({"migrate", "--yes"}).status, 2);
  EXPECT_EQ(Command({"--help"}).status, 0);
}

TEST(CommandLine, TablesAndExportReadTheFile) {
  const Outcome tables = Command({"tables", testenv::FixturePath("velda_sample.mdb")});
  EXPECT_EQ(tables.status, 0) << tables.err;
  EXPECT_NE(tables.out.find("tblEmployee"), std::string::npos);
  const Outcome wrong = Command({"tables", testenv::FixturePath("velda_sample.mdb"), "--password", "x"});
  EXPECT_NE(wrong.status, 0);
  EXPECT_FALSE(wrong.err.empty());
  const Outcome other = Command({"tables", testenv::FixturePath("other_password.mdb"), "--password", "otherpass"});
  EXPECT_EQ(other.status, 0) << other.err;
  const Outcome checked = Command({"check", testenv::FixturePath("velda_sample.mdb")});
  EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
  EXPECT_EQ(Command({"check", testenv::FixturePath("not_a_database.mdb")}).status,
            cli::kExitSourceUnreadable);
  const Outcome exported = Command({"export", testenv::FixturePath("velda_sample.mdb"), "TBLX"});
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.out.substr(0, 4), "A\tB\n");
}

TEST(CommandLine, MigrateRunsTheWindowsCommandWithoutAWindow) {
  MDB_REQUIRE_SERVER();
  const std::string port = std::to_string(testenv::TestServer()->port);
  db::Connection admin;
  admin.Open(db::MySqlConnectionString({"localhost", port, "", "root", ""}));
  admin.Execute("DROP DATABASE IF EXISTS cli_migrate");
  admin.Execute("CREATE DATABASE cli_migrate");
  const Outcome ok = Command({"migrate", "--source", testenv::FixturePath("velda_sample.mdb"), "--port",
                          port, "--database", "cli_migrate", "--yes"});
  EXPECT_EQ(ok.status, 0) << ok.out << ok.err;
  EXPECT_NE(ok.out.find("Your database has been successfully migrated to MySQL"), std::string::npos);
  EXPECT_NE(ok.out.find("migrated: tblEmployee"), std::string::npos);
  // Not a terminal: one plain line per table when it ends, on stdout, and a summary.
  EXPECT_NE(ok.out.find("Migrating table 8 of 9: w_log, 5 rows, "), std::string::npos) << ok.out;
  EXPECT_NE(ok.out.find("9 tables, 96 rows, "), std::string::npos) << ok.out;

  const Outcome missing = Command({"migrate", "--source", "/no/such.mdb", "--port", port, "--database",
                               "cli_migrate", "--yes"});
  EXPECT_EQ(missing.status, cli::kExitSourceUnreadable);
  EXPECT_NE(missing.out.find("The source path (.mdb) does not exist."), std::string::npos);

  const Outcome failed = Command({"migrate", "--source", testenv::FixturePath("reject_midtable.mdb"),
                              "--port", port, "--database", "cli_migrate", "--yes", "--row-at-a-time"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.out.find("Invalid table column in VELDA.mdb"), std::string::npos);
  EXPECT_NE(failed.err.find("Data too long"), std::string::npos);
  admin.Execute("DROP DATABASE cli_migrate");
}

}  // namespace
