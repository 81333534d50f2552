// Where the MySQL password comes from: the option, the terminal, MYSQL_PWD; and that no
// password shows in any output, also with a real terminal.
#include "cli/work_options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

#include "cli/console_run.h"
#include "cli/exit_status.h"
#include "cli/pty_run.h"
#include "support/test_env.h"

namespace {

using clitest::ScriptedConsole;

std::string PasswordRead(const ScriptedConsole& console, const std::vector<std::string>& words) {
  std::vector<std::string> args = {"migrate"};
  args.insert(args.end(), words.begin(), words.end());
  const cli::Arguments a = cli::SplitArguments(args, cli::WorkOptionNames({"--yes"}));
  std::ostringstream out, err;
  cli::Console c{out, err, false, nullptr, nullptr};
  c.ask_password = [&](const std::string&) { return console.typed; };
  c.environment = [&](const std::string& name) -> std::optional<std::string> {
    auto it = console.environment.find(name);
    if (it == console.environment.end()) return std::nullopt;
    return it->second;
  };
  cli::WorkOptions o;
  const std::string wrong = cli::ReadWorkOptions(a, c, &o);
  return wrong.empty() ? "password=" + o.mysql.password : "error: " + wrong;
}

TEST(ReadWorkOptions, ThePasswordComesFromTheOptionTheTerminalOrMysqlPwd) {
  ScriptedConsole c;
  c.typed = "typed-pw";
  c.environment = {{"MYSQL_PWD", "env-pw"}};
  EXPECT_EQ(PasswordRead(c, {"--source", "f", "--password", "given"}), "password=given");
  EXPECT_EQ(PasswordRead(c, {"--source", "f", "--password=-dash"}), "password=-dash");
  EXPECT_EQ(PasswordRead(c, {"--source", "f", "--password="}), "password=");
  EXPECT_EQ(PasswordRead(c, {"--source", "f", "--password"}), "password=typed-pw");
  EXPECT_EQ(PasswordRead(c, {"--password", "--source", "f"}), "password=typed-pw")
      << "an option after --password is not its value";
  EXPECT_EQ(PasswordRead(c, {"-p", "--source", "f"}), "password=typed-pw");
  EXPECT_EQ(PasswordRead(c, {"--source", "f"}), "password=env-pw");
  c.environment.clear();
  EXPECT_EQ(PasswordRead(c, {"--source", "f"}), "password=");
  c.typed.reset();
  EXPECT_EQ(PasswordRead(c, {"--source", "f", "-p"}),
            "error: --password without a value asks on a terminal, and there is none");
  EXPECT_EQ(PasswordRead(c, {"--source", "f", "--yes=1"}), "error: --yes takes no value");
  EXPECT_EQ(PasswordRead(c, {"--source"}), "error: --source needs a value");
  EXPECT_NE(cli::CommandLineUsage().find("visible to other users"), std::string::npos);
}

class PasswordOnTheCommandLine : public testing::Test {
 protected:
  static constexpr const char* kPassword = "Pw-On-Tty-42";
  // A database of each test's own (ctest runs them in parallel) and a user with a password.
  void SetUp() override {
    if (!testenv::TestServer()) GTEST_SKIP() << "no test MariaDB (MDB_TEST_MYSQL_PORT unset)";
    database_ = std::string("cli_pw_") +
                testing::UnitTest::GetInstance()->current_test_info()->name();
    clitest::FreshDatabase(database_);
    clitest::Admin("CREATE USER IF NOT EXISTS 'cli_pw_user'@'%' IDENTIFIED BY 'Pw-On-Tty-42'");
    clitest::Admin("GRANT ALL ON " + database_ + ".* TO 'cli_pw_user'@'%'");
  }
  std::vector<std::string> Migrate(std::vector<std::string> extra) const {
    std::vector<std::string> args = clitest::At(
        {"migrate", "--source", testenv::FixturePath("velda_sample.mdb"), "--user", "cli_pw_user",
         "--dry-run"},
        database_);
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  // The whole program on a terminal: what it showed and its status.
  std::string database_;

  static clitest::PtyOutcome OnTerminal(const std::vector<std::string>& args,
                                        const std::string& typed) {
    return clitest::RunOnTerminal(
        [&] { return cli::RunCommandLine(args, std::cout, std::cerr); }, "Enter password: ",
        typed);
  }
};

TEST_F(PasswordOnTheCommandLine, AskedOnTheTerminalWithoutEchoAndNeverPrinted) {
  const clitest::PtyOutcome ok = OnTerminal(Migrate({"-p"}), std::string(kPassword) + "\n");
  EXPECT_EQ(ok.status, cli::kExitSuccess) << ok.screen;
  EXPECT_NE(ok.screen.find("OK (dry run: nothing was changed)"), std::string::npos) << ok.screen;
  EXPECT_EQ(ok.screen.find(kPassword), std::string::npos) << ok.screen;

  const clitest::PtyOutcome wrong = OnTerminal(Migrate({"--password"}), "Wrong-Typed-1\n");
  EXPECT_EQ(wrong.status, cli::kExitServerUnreachable) << wrong.screen;
  EXPECT_EQ(wrong.screen.find("Wrong-Typed-1"), std::string::npos) << wrong.screen;
}

TEST_F(PasswordOnTheCommandLine, MysqlPwdStandsWhenNoOptionIsGiven) {
  clitest::ScriptedConsole c;
  c.environment = {{"MYSQL_PWD", kPassword}};
  const clitest::Outcome ok = c.Run(Migrate({}));
  EXPECT_EQ(ok.status, cli::kExitSuccess) << ok.All();
  EXPECT_TRUE(ok.prompts.empty());
  EXPECT_EQ(ok.All().find(kPassword), std::string::npos) << ok.All();
  c.environment = {{"MYSQL_PWD", "not-the-password"}};
  const clitest::Outcome refused = c.Run(Migrate({}));
  EXPECT_EQ(refused.status, cli::kExitServerUnreachable) << refused.All();
  EXPECT_EQ(refused.All().find("not-the-password"), std::string::npos) << refused.All();
  // A real migration that fails after the login says nothing of the password either.
  c.environment = {{"MYSQL_PWD", kPassword}};
  std::vector<std::string> real = Migrate({"--yes"});
  real.erase(std::find(real.begin(), real.end(), "--dry-run"));
  real[2] = testenv::FixturePath("reject_midtable.mdb");
  const clitest::Outcome failed = c.Run(real);
  EXPECT_EQ(failed.status, cli::kExitFailure) << failed.All();
  EXPECT_EQ(failed.All().find(kPassword), std::string::npos) << failed.All();
}

}  // namespace
