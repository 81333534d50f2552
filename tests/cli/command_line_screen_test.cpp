// The progress display: in place on a terminal, a plain line per table elsewhere, nothing with
// --quiet; tested with a scripted clock, then through the whole program on a pseudo-terminal
// and with standard output a file.
#include "cli/command_line_screen.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <sstream>

#include "cli/console_run.h"
#include "cli/pty_run.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

using cli::CommandLineScreen;
using cli::ProgressStyle;

ui::Progress Table(int item, int items, const std::string& name, long done, long total) {
  ui::Progress p = ui::Progress::Step("Migrating");
  p.item = item;
  p.items = items;
  p.item_name = name;
  p.done = done;
  p.total = total;
  return p;
}

// Two tables of the migration and the relink's step without items, on a clock the test sets.
std::string Show(ProgressStyle style) {
  std::ostringstream out, err;
  double now = 100;
  CommandLineScreen screen(out, err, style, 60, [&now] { return now; });
  screen.ShowProgress(Table(1, 2, "tblAttendance_Log", 0, 300000));
  now = 102;
  screen.ShowProgress(Table(1, 2, "tblAttendance_Log", 100000, 300000));
  now = 106;
  screen.ShowProgress(Table(1, 2, "tblAttendance_Log", 300000, 300000));
  screen.ShowProgress(Table(2, 2, "tblOne", 0, 1));
  now = 106.5;
  screen.ShowProgress(Table(2, 2, "tblOne", 1, 1));
  screen.EndProgress();
  screen.ShowProgress(ui::Progress::Step("Backup copy"));
  now = 107;
  screen.EndProgress();
  return out.str();
}

TEST(CommandLineScreen, PlainLinesWhenTheOutputIsNoTerminal) {
  EXPECT_EQ(Show(ProgressStyle::kLines),
            "Migrating table 1 of 2: tblAttendance_Log, 300,000 rows, 6.0 s\n"
            "Migrating table 2 of 2: tblOne, 1 row, 0.5 s\n"
            "2 tables, 300,001 rows, 6.5 s, 46,154 rows/s\n"
            "Backup copy, 0.5 s\n");
}

TEST(CommandLineScreen, RedrawsOneLinePerTableInPlaceOnATerminal) {
  const std::string shown = Show(ProgressStyle::kTerminal);
  // Cut to the width (60 columns, one kept free), so that the line never wraps.
  EXPECT_NE(shown.find("\rMigrating table 1 of 2: tblAttendance_Log, 100,000 of 300,0\x1b[K"),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find("\rMigrating table 1 of 2: tblAttendance_Log, 300,000 rows, 6.\x1b[K\n"),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find("2 tables, 300,001 rows, 6.5 s, 46,154 rows/s\n"), std::string::npos);
  std::ostringstream out, err;
  double now = 0;
  CommandLineScreen wide(out, err, ProgressStyle::kTerminal, 200, [&now] { return now; });
  wide.ShowProgress(Table(1, 1, "t", 0, 30000));
  now = 2;
  wide.ShowProgress(Table(1, 1, "t", 10000, 30000));
  EXPECT_NE(out.str().find("\rMigrating table 1 of 1: t, 10,000 of 30,000 rows, 5,000 rows/s, "
                           "0:04 left\x1b[K"),
            std::string::npos)
      << out.str();
  // A message stands below the line of the table it interrupts.
  wide.MessageBox("Invalid table column in VELDA.mdb", "Error", ui::Icon::kInformation);
  EXPECT_NE(out.str().find("10,000 of 30,000 rows, 2.0 s\x1b[K\nInvalid table column"),
            std::string::npos)
      << out.str();
}

TEST(CommandLineScreen, QuietShowsNoProgressButEveryMessage) {
  std::ostringstream out, err;
  CommandLineScreen screen(out, err, ProgressStyle::kQuiet);
  screen.ShowProgress(Table(1, 1, "t", 0, 10));
  screen.MessageBox("Your database has been successfully migrated to MySQL", "Successfully Migrated",
                    ui::Icon::kInformation);
  screen.EndProgress();
  EXPECT_EQ(out.str(), "Your database has been successfully migrated to MySQL\n");
  EXPECT_EQ(err.str(), "[Successfully Migrated] ");
}

// Each test migrates into a database of its own: ctest runs them in parallel processes.
class ProgressOfTheProgram : public testing::Test {
 protected:
  void SetUp() override {
    if (!testenv::TestServer()) GTEST_SKIP() << "no test MariaDB (MDB_TEST_MYSQL_PORT unset)";
  }
  static std::vector<std::string> Migrate(const std::string& database) {
    clitest::FreshDatabase(database);
    return clitest::At(
        {"migrate", "--source", testenv::FixturePath("velda_sample.mdb"), "--yes"}, database);
  }
};

TEST_F(ProgressOfTheProgram, OnAPseudoTerminalTheLinesAreRedrawn) {
  const std::vector<std::string> args = Migrate("cli_progress_pty");
  const clitest::PtyOutcome o =
      clitest::RunOnTerminal([&] { return cli::RunCommandLine(args, std::cout, std::cerr); });
  EXPECT_EQ(o.status, 0) << o.screen;
  EXPECT_NE(o.screen.find("\rMigrating table 2 of 9: tblEmployee, 0 of 40 rows\x1b[K"),
            std::string::npos)
      << o.screen;
  EXPECT_NE(o.screen.find("\rMigrating table 2 of 9: tblEmployee, 40 rows, "), std::string::npos);
  EXPECT_NE(o.screen.find("9 tables, 96 rows, "), std::string::npos) << o.screen;
}

TEST_F(ProgressOfTheProgram, WithOutputToAFileOnePlainLinePerTable) {
  const std::string file = testenv::ScratchDir("cli_progress_file") + "/out.txt";
  const std::vector<std::string> args = Migrate("cli_progress_file");
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDOUT_FILENO);
    const int status = cli::RunCommandLine(args, std::cout, std::cerr);
    std::cout.flush();
    _exit(status);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string shown = testenv::FileBytes(file);
  EXPECT_EQ(shown.find('\r'), std::string::npos) << shown;
  EXPECT_EQ(shown.find('\x1b'), std::string::npos) << shown;
  size_t lines = 0;
  for (size_t at = shown.find("Migrating table "); at != std::string::npos;
       at = shown.find("Migrating table ", at + 1))
    ++lines;
  EXPECT_EQ(lines, 9u) << "one line per table, once\n" << shown;
  EXPECT_NE(shown.find("Migrating table 6 of 9: tblSystem_Parameter_A, 1 row, "), std::string::npos)
      << shown;
  EXPECT_NE(shown.find("9 tables, 96 rows, "), std::string::npos) << shown;
}

}  // namespace
