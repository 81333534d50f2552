// The main window's MySQL session across commands: kept while the five settings stay as they were
// when it was opened, opened anew with the current ones when any of them changed. A session kept
// after a change would drop and fill the tables of a database the person no longer points at, and
// the command would say it had succeeded.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "db/connection_strings.h"
#include "scripted_window.h"
#include "support/test_env.h"

namespace forms {
namespace {

using Admin = TestServerAdmin;

const std::string kMigrated =
    "Successfully Migrated: Your database has been successfully migrated to MySQL";

// CREATE_TIME counts whole seconds: a table made again within the same second would not show.
void NextSecond() { std::this_thread::sleep_for(std::chrono::milliseconds(1100)); }

struct MigratingWindow : ScriptedWindow {
  MigratingWindow() {
    source.SetText(testenv::FixturePath("velda_sample.mdb"));
    view.on_prompt = [](std::string& answer) { answer = "YES"; };
  }
  // Tests the settings and migrates, as a person presses Test and then Migrate.
  void TestAndMigrate() {
    screen.Clear();
    form.cmdTest_Click();
    ASSERT_TRUE(view.BothEnabled()) << testing::PrintToString(Texts());
    form.Confirm_Click();
  }
  std::string SessionAsks(const std::string& query) {
    return form.MySqlSession().Execute(query)->Fields().Item(0).GetValue().ToString();
  }
};

TEST(MySqlSession, AfterResetTheNewDatabaseGetsTheTables) {
  MDB_REQUIRE_SERVER();
  Admin admin;
  admin.FreshDatabase("VELDA_MYSQL");
  admin.FreshDatabase("ORV_MYSQL");
  MigratingWindow w;
  const std::string port = std::to_string(testenv::TestServer()->port);
  w.server.SetText("127.0.0.1");
  w.port.SetText(port);
  w.TestAndMigrate();
  EXPECT_EQ(w.Texts(), (std::vector<std::string>{"Test Result: Connection successful", kMigrated}));
  const long tables = admin.TableCount("VELDA_MYSQL");
  ASSERT_GT(tables, 0);
  const std::string velda = admin.CreationTimes("VELDA_MYSQL");

  NextSecond();
  w.form.cmdReset_Click();
  ASSERT_EQ(w.database.Text(), "ORV_MYSQL");
  // Reset names the standard server; the person types the test server's again.
  w.server.SetText("127.0.0.1");
  w.port.SetText(port);
  w.TestAndMigrate();
  EXPECT_EQ(w.Texts(), (std::vector<std::string>{"Test Result: Connection successful", kMigrated}));
  EXPECT_EQ(admin.TableCount("ORV_MYSQL"), tables);
  EXPECT_EQ(admin.CreationTimes("VELDA_MYSQL"), velda) << "the first database was migrated again";
  EXPECT_EQ(w.SessionAsks("SELECT DATABASE()"), "ORV_MYSQL");
}

TEST(MySqlSession, AnotherUserGetsASessionOfItsOwn) {
  MDB_REQUIRE_SERVER();
  Admin admin;
  admin.FreshDatabase("win_user");
  for (const char* host : {"%", "localhost", "127.0.0.1"}) {
    const std::string account = std::string("'win_second'@'") + host + "'";
    admin.connection().Execute("DROP USER IF EXISTS " + account);
    admin.connection().Execute("CREATE USER " + account + " IDENTIFIED BY 'second'");
    admin.connection().Execute("GRANT ALL ON win_user.* TO " + account);
  }
  MigratingWindow w;
  w.PointAtTestServer("win_user");
  w.TestAndMigrate();
  ASSERT_EQ(w.Texts().back(), kMigrated);
  EXPECT_EQ(w.SessionAsks("SELECT SUBSTRING_INDEX(CURRENT_USER(), '@', 1)"), "root");
  const std::string first = admin.CreationTimes("win_user");

  NextSecond();
  w.user.SetText("win_second");
  w.password.SetText("second");
  w.TestAndMigrate();
  EXPECT_EQ(w.Texts().back(), kMigrated);
  EXPECT_EQ(w.SessionAsks("SELECT SUBSTRING_INDEX(CURRENT_USER(), '@', 1)"), "win_second");
  EXPECT_NE(admin.CreationTimes("win_user"), first);
}

TEST(MySqlSession, AnotherPortReachesAnotherServer) {
  MDB_REQUIRE_SERVER();
  const auto second = testenv::SecondTestServer();
  if (!second)
    GTEST_SKIP() << "no second test MariaDB (MDB_TEST_MYSQL_PORT2 unset); run scripts/test";
  Admin first_server;
  Admin second_server(second->port);
  first_server.FreshDatabase("win_port");
  second_server.FreshDatabase("win_port");
  MigratingWindow w;
  w.PointAtTestServer("win_port");
  w.TestAndMigrate();
  ASSERT_EQ(w.Texts().back(), kMigrated);
  const long tables = first_server.TableCount("win_port");
  const std::string first = first_server.CreationTimes("win_port");

  NextSecond();
  w.port.SetText(std::to_string(second->port));
  w.TestAndMigrate();
  EXPECT_EQ(w.Texts().back(), kMigrated);
  EXPECT_EQ(second_server.TableCount("win_port"), tables);
  EXPECT_EQ(first_server.CreationTimes("win_port"), first) << "the first server was migrated again";
}

TEST(MySqlSession, AServerThatCannotBeReachedIsSaidSoByBothCommands) {
  MDB_REQUIRE_SERVER();
  Admin admin;
  admin.FreshDatabase("win_gone");
  MigratingWindow w;
  w.PointAtTestServer("win_gone");
  w.TestAndMigrate();
  ASSERT_EQ(w.Texts().back(), kMigrated);
  const std::string first = admin.CreationTimes("win_gone");

  // The test server listens on 127.0.0.1 only: 127.0.0.2 is another machine that is not there.
  NextSecond();
  w.server.SetText("127.0.0.2");
  w.screen.Clear();
  w.form.Confirm_Click();
  ASSERT_EQ(w.screen.messages().size(), 1u) << testing::PrintToString(w.Texts());
  EXPECT_EQ(w.screen.messages()[0].title, "Error");
  EXPECT_EQ(w.view.prompts, 1);
  EXPECT_EQ(w.form.MySqlSession().State(), db::kAdStateClosed);
  EXPECT_EQ(admin.CreationTimes("win_gone"), first);

  // The refresh-link command opens the session the same way, and stops before its backup copy.
  const std::string folder = testenv::ScratchDir("session_relink");
  std::filesystem::copy_file(testenv::FixturePath("velda_sample.mdb"), folder + "/Velda.mdb");
  w.source.SetText(folder + "/Velda.mdb");
  w.PointAtTestServer("win_gone");
  w.form.Confirm_Click();
  ASSERT_EQ(w.form.MySqlSession().State(), db::kAdStateOpen);
  w.server.SetText("127.0.0.2");
  w.screen.Clear();
  w.form.cmdCreate_MySQL_Connection_Click();
  ASSERT_EQ(w.screen.messages().size(), 1u) << testing::PrintToString(w.Texts());
  EXPECT_EQ(w.screen.messages()[0].title, "Error");
  EXPECT_EQ(w.form.MySqlSession().State(), db::kAdStateClosed);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace forms
