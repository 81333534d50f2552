// The refresh-link command, driven without a window: the checks and messages in order, the
// backup copy, the data source registration and the link refresh, on copies of the sample file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/command_line.h"
#include "forms/frm_convert_to_mysql.h"
#include "db/connection_strings.h"
#include "db/dao.h"
#include "db/error.h"
#include "db/providers.h"
#include "db/source_session.h"
#include "input/date_time_stamp.h"
#include "jet/check.h"
#include "jet/database.h"
#include "input/memory_field.h"
#include "links/link_refresh.h"
#include "forms/scripted_window.h"
#include "support/galera_cluster.h"
#include "support/test_env.h"
#include "support/test_files.h"
#include "ui/recording_screen.h"

namespace forms {
namespace {

namespace fs = std::filesystem;
using ui::Pointer;

constexpr const char* kStampedName = "VELDA08122026140755.MDB";
constexpr const char* kPermission =
    "Permission denied, please make sure no one is currently accessing VELDA.mdb.";

using testenv::FileBytes;

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// A DAO database that writes nothing and records what it was asked to do.
struct DaoLog {
  bool can_link = true;
  int opens = 0;
  std::vector<std::string> operations;
};
class RecordingDao : public db::dao::Database {
 public:
  explicit RecordingDao(std::shared_ptr<DaoLog> log) : log_(std::move(log)) {}
  std::vector<db::dao::TableDef> TableDefs() override { return {}; }
  bool CanLinkTables() const override { return log_->can_link; }
  void AppendTableDef(const db::dao::TableDef& def) override {
    log_->operations.push_back("Append " + def.name + " " + def.connect);
  }

 private:
  std::shared_ptr<DaoLog> log_;
};

void MakeDatabase(const std::string& name, const std::vector<std::string>& tables) {
  db::Connection admin;
  admin.Open(testenv::TestServerConnectionString());
  admin.Execute("DROP DATABASE IF EXISTS " + name);
  admin.Execute("CREATE DATABASE " + name);
  for (const std::string& table : tables)
    admin.Execute("CREATE TABLE " + name + "." + table + " (id INT)");
}

// A main window on a copy of the sample file in a folder of the test's own, with a fixed clock
// and a user data source file of its own.
struct Window : ScriptedWindow {
  std::string folder;
  std::string file;
  std::string odbc_ini;
  std::shared_ptr<DaoLog> dao = std::make_shared<DaoLog>();

  explicit Window(const std::string& name, const std::string& file_name = "Velda.mdb") {
    folder = testenv::ScratchDir(name);
    file = folder + "/" + file_name;
    fs::copy_file(testenv::FixturePath("velda_sample.mdb"), file);
    source.SetText(file);
    odbc_ini = testenv::ScratchDir(name + "_odbc") + "/odbc.ini";
    setenv("ODBCINI", odbc_ini.c_str(), 1);
    input::SetStampClock([] { return input::LocalTime{2026, 12, 8, 14, 7, 55}; });
    view.on_prompt = [](std::string& answer) { answer = "YES"; };
  }
  ~Window() { input::SetStampClock({}); }

  void ScriptDao() {
    form.SetDaoOpener([log = dao](const std::string&, bool, bool, const std::string&) {
      ++log->opens;
      return std::make_unique<RecordingDao>(log);
    });
  }
  // An empty database of that name on the test server, in the connection fields.
  void UseTestServer(const std::string& db_name) {
    MakeDatabase(db_name, {});
    PointAtTestServer(db_name);
  }
  void ExpectOnly(const std::string& title, const std::string& text) const {
    ASSERT_EQ(screen.messages().size(), 1u) << testing::PrintToString(Texts());
    EXPECT_EQ(screen.messages()[0].title, title);
    EXPECT_EQ(screen.messages()[0].text, text);
    EXPECT_EQ(screen.pointer(), Pointer::kArrow);
  }
};

TEST(RefreshLinkCommand, ChecksThePathAndTheSourceFirst) {
  const std::string unusable =
      "Unable to connect to the source database (.mdb). Please make sure that the selected file "
      "is the correct database.";
  struct Case {
    std::string path;
    std::string title;
    std::string text;
  };
  Window w0("link_checks");
  const Case cases[] = {
      {"  ", "Required", "Source Path (.mdb) is required."},
      {w0.folder, "File Not Exist", "The source path (.mdb) does not exist."},
      // Spaces are part of the name.
      {w0.file + " ", "File Not Exist", "The source path (.mdb) does not exist."},
      {testenv::FixturePath("other_password.mdb"), "Connection Fail", unusable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Window w("link_checks");
    w.ScriptDao();
    w.source.SetText(c.path);
    w.form.cmdCreate_MySQL_Connection_Click();
    w.ExpectOnly(c.title, c.text);
    EXPECT_EQ(w.source.focus_requests(), 1);
    EXPECT_EQ(w.form.MySqlSession().State(), db::kAdStateClosed);
    EXPECT_EQ(Listing(w.folder), std::vector<std::string>{"Velda.mdb"});
    EXPECT_EQ(w.view.prompts, 0);
  }
}

TEST(RefreshLinkCommand, RefusedMySqlConnectionStopsBeforeTheBackup) {
  MDB_REQUIRE_SERVER();
  Window w("link_refused");
  w.UseTestServer("link_refused");
  w.user.SetText("nobody_here");
  w.form.cmdCreate_MySQL_Connection_Click();
  ASSERT_EQ(w.screen.messages().size(), 1u);
  EXPECT_EQ(w.screen.messages()[0].title, "Error");
  EXPECT_NE(w.screen.messages()[0].text.find("nobody_here"), std::string::npos);
  EXPECT_EQ(w.source.focus_requests(), 0);
  EXPECT_EQ(Listing(w.folder), std::vector<std::string>{"Velda.mdb"});
}

TEST(RefreshLinkCommand, ANameWithoutMdbIsRefusedBeforeAnythingChanges) {
  MDB_REQUIRE_SERVER();
  Window w("link_no_mdb", "velda.db");
  w.UseTestServer("link_no_mdb");
  w.ScriptDao();
  w.form.cmdCreate_MySQL_Connection_Click();
  ASSERT_EQ(w.screen.messages().size(), 1u) << testing::PrintToString(w.Texts());
  EXPECT_EQ(w.screen.messages()[0].title, "Error");
  EXPECT_NE(w.screen.messages()[0].text.find(w.file), std::string::npos);
  EXPECT_EQ(Listing(w.folder), std::vector<std::string>{"velda.db"});
  EXPECT_FALSE(fs::exists(w.odbc_ini));
  EXPECT_EQ(w.dao->opens, 0);
  EXPECT_EQ(w.form.LastLinkResult(), "");
}

TEST(RefreshLinkCommand, TrailingSpacesInThePath) {
  MDB_REQUIRE_SERVER();
  {
    // Only the name with the blank exists: the provider trims the path, as OLE DB does, and
    // finds no database.
    Window w("link_trailing_only", "velda.mdb ");
    w.UseTestServer("link_trailing");
    w.ScriptDao();
    w.form.cmdCreate_MySQL_Connection_Click();
    w.ExpectOnly("Connection Fail",
                 "Unable to connect to the source database (.mdb). Please make sure that the "
                 "selected file is the correct database.");
  }
  {
    // Both exist: the session opens, but the name as typed gets no stamp, so no copy is made.
    Window w("link_trailing", "velda.mdb");
    fs::copy_file(w.file, w.file + " ");
    w.source.SetText(w.file + " ");
    w.UseTestServer("link_trailing");
    w.ScriptDao();
    w.form.cmdCreate_MySQL_Connection_Click();
    ASSERT_EQ(w.screen.messages().size(), 1u) << testing::PrintToString(w.Texts());
    EXPECT_EQ(w.screen.messages()[0].title, "Error");
    EXPECT_EQ(Listing(w.folder), (std::vector<std::string>{"velda.mdb", "velda.mdb "}));
    EXPECT_FALSE(fs::exists(w.odbc_ini));
    EXPECT_EQ(w.dao->opens, 0);
  }
}

TEST(RefreshLinkCommand, AFileInUseGivesThePermissionMessageAndChangesNothing) {
  MDB_REQUIRE_SERVER();
  {
    // Access's lock file beside the database, held by Access.
    Window w("link_ldb");
    w.UseTestServer("link_ldb");
    w.ScriptDao();
    testenv::HeldLock access(w.folder + "/Velda.ldb");
    w.form.cmdCreate_MySQL_Connection_Click();
    w.ExpectOnly("Error", kPermission);
    EXPECT_EQ(Listing(w.folder), (std::vector<std::string>{"Velda.ldb", "Velda.mdb"}));
    EXPECT_FALSE(fs::exists(w.odbc_ini));
    EXPECT_EQ(w.dao->opens, 0);
    // Closed for the copy and left so, as the command always did.
    EXPECT_EQ(db::SourceSession().State(), db::kAdStateClosed);
  }
  {
    // A writer of this program holds the file.
    Window w("link_locked");
    w.UseTestServer("link_locked");
    w.ScriptDao();
    const int writer = ::open(w.file.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX | LOCK_NB), 0);
    w.form.cmdCreate_MySQL_Connection_Click();
    ::close(writer);
    w.ExpectOnly("Error", kPermission);
    EXPECT_EQ(Listing(w.folder), std::vector<std::string>{"Velda.mdb"});
    EXPECT_FALSE(fs::exists(w.odbc_ini));
  }
}

TEST(RefreshLinkCommand, FailedRegistrationEndsSilentlyWithNothingDropped) {
  MDB_REQUIRE_SERVER();
  Window w("link_dsn_fails");
  w.UseTestServer("link_dsn_fails");
  w.ScriptDao();
  setenv("ODBCINI", "/nonexistent/folder/odbc.ini", 1);
  w.form.cmdCreate_MySQL_Connection_Click();
  EXPECT_TRUE(w.screen.messages().empty()) << testing::PrintToString(w.Texts());
  EXPECT_EQ(w.screen.pointer(), Pointer::kArrow);
  EXPECT_EQ(w.dao->opens, 0);
  EXPECT_EQ(w.form.LastLinkRefresh(), nullptr);
  // The backup was made before and stays; the source session was opened again.
  EXPECT_EQ(Listing(w.folder), (std::vector<std::string>{kStampedName, "Velda.mdb"}));
  EXPECT_EQ(db::SourceSession().State(), db::kAdStateOpen);
}

TEST(RefreshLinkCommand, NoTableListMeansNoFlagAndNoSuccess) {
  MDB_REQUIRE_SERVER();
  Window w("link_no_list");
  w.UseTestServer("link_no_list");
  w.ScriptDao();
  MakeDatabase("link_no_list", {"tblemployee"});
  // The window's MySQL session reaches the test server but counts as opened with the fields'
  // settings, port 1 included, so the command keeps it; the data source is registered with that
  // port, where nothing listens.
  w.port.SetText("1");
  db::Connection& session = w.form.MySqlSession();
  session.Attach(db::OpenSession(testenv::TestServerConnectionString("link_no_list")));
  session.SetConnectionString(db::MySqlConnectionString(
      {w.server.Text(), w.port.Text(), w.database.Text(), w.user.Text(), w.password.Text()}));
  w.form.cmdCreate_MySQL_Connection_Click();
  w.ExpectOnly("Connection Fail", "Fail to create MySQL connection.");
  EXPECT_FALSE(w.screen.messages()[0].details.empty());
  EXPECT_EQ(w.dao->opens, 0);
  EXPECT_EQ(w.form.LastLinkResult(), "");
  EXPECT_NE(FileBytes(w.odbc_ini).find("Port=1"), std::string::npos) << FileBytes(w.odbc_ini);
}

TEST(RefreshLinkCommand, BacksUpRegistersAndLinksInThatOrder) {
  MDB_REQUIRE_SERVER();
  Window w("link_order");
  w.UseTestServer("link_order");
  w.ScriptDao();
  MakeDatabase("link_order", {"tblemployee", "tblencrword", "tblmysqlonly"});
  const std::string before = FileBytes(w.file);
  w.form.cmdCreate_MySQL_Connection_Click();

  EXPECT_EQ(Listing(w.folder), (std::vector<std::string>{kStampedName, "Velda.mdb"}));
  EXPECT_EQ(FileBytes(w.folder + "/" + kStampedName), before);
  EXPECT_EQ(w.form.LastBackupPath(), w.folder + "/" + kStampedName);
  EXPECT_EQ(w.view.prompts, 0);
  const std::string ini = FileBytes(w.odbc_ini);
  EXPECT_NE(ini.find("[link_order]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Database=link_order"), std::string::npos) << ini;
  ASSERT_NE(w.form.LastLinkRefresh(), nullptr);
  std::vector<std::string> names = w.form.LastLinkRefresh()->outcome().tables;
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"tblemployee", "tblencrword", "tblmysqlonly"}));
  std::sort(w.dao->operations.begin(), w.dao->operations.end());
  EXPECT_EQ(w.dao->operations,
            (std::vector<std::string>{"Append tblemployee ODBC;DSN=link_order;",
                                      "Append tblmysqlonly ODBC;DSN=link_order;"}));
  // The flag statement ran last: success, or the engine's refusal of it under "Error".
  ASSERT_EQ(w.screen.messages().size(), 1u) << testing::PrintToString(w.Texts());
  const auto& m = w.screen.messages()[0];
  EXPECT_TRUE(m.title == "MySQL connection" || m.title == "Error") << m.title;
  if (m.title == "MySQL connection") {
    EXPECT_EQ(m.text, "MySQL connection has been successfully created.");
  }
  EXPECT_EQ(w.screen.pointer(), Pointer::kArrow);
}

TEST(RefreshLinkCommand, ShowsItsStepsInOrderAndEndsTheProgressBeforeItsMessage) {
  MDB_REQUIRE_SERVER();
  Window w("link_steps");
  w.UseTestServer("link_steps");
  w.ScriptDao();
  MakeDatabase("link_steps", {"tblemployee", "tblencrword"});
  w.form.cmdCreate_MySQL_Connection_Click();
  std::vector<std::string> events = w.screen.events();
  ASSERT_GE(events.size(), 2u);
  // The two tables come in the server's order.
  for (std::string& e : events) {
    if (e.rfind("progress: Linking ", 0) == 0) e = e.substr(0, e.rfind(' '));
  }
  EXPECT_EQ(std::vector<std::string>(events.begin(), events.end() - 1),
            (std::vector<std::string>{"progress: Backup copy", "progress: Registering the data source",
                                      "progress: Linking 1/2", "progress: Linking 2/2",
                                      "progress: Setting the flag ISMySQLDB", "end progress"}));
  EXPECT_EQ(events.back().rfind("message: ", 0), 0u) << events.back();
}

TEST(RefreshLinkCommand, TwoRelinksInTheSameSecondNeverReplaceTheBackup) {
  MDB_REQUIRE_SERVER();
  MakeDatabase("link_same_second", {});
  Window w("link_same_second");
  w.UseTestServer("link_same_second");
  w.form.Confirm_Click();
  ASSERT_EQ(w.form.LastMigrationResult(), "OK") << testing::PrintToString(w.Texts());
  const std::string original = FileBytes(w.file);
  w.screen.Clear();
  w.form.cmdCreate_MySQL_Connection_Click();
  ASSERT_EQ(w.form.LastLinkResult(), "SUCCESS") << testing::PrintToString(w.Texts());
  const std::string relinked = FileBytes(w.file);
  ASSERT_NE(relinked, original);
  // The clock stands still: the second run's backup would take the first one's name.
  w.screen.Clear();
  w.form.cmdCreate_MySQL_Connection_Click();
  ASSERT_EQ(w.screen.messages().size(), 1u) << testing::PrintToString(w.Texts());
  EXPECT_EQ(w.screen.messages()[0].title, "Error");
  EXPECT_NE(w.screen.messages()[0].text.find(w.folder + "/" + kStampedName), std::string::npos)
      << w.screen.messages()[0].text;
  EXPECT_EQ(FileBytes(w.folder + "/" + kStampedName), original) << "the only copy of the original";
  EXPECT_EQ(FileBytes(w.file), relinked) << "stopped before anything changed";
  EXPECT_EQ(Listing(w.folder), (std::vector<std::string>{kStampedName, "Velda.mdb"}));
}

TEST(RefreshLinkCommand, NothingLinkedMeansNoFlagAndNoSuccess) {
  MDB_REQUIRE_SERVER();
  // An empty MySQL database, and a database field with a trailing blank, whose table query
  // finds nothing.
  for (const std::string database : {"link_nothing", "link_nothing "}) {
    SCOPED_TRACE("[" + database + "]");
    MakeDatabase("link_nothing", {});
    Window w("link_nothing");
    w.UseTestServer("link_nothing");
    w.database.SetText(database);
    const std::string before = FileBytes(w.file);
    w.form.cmdCreate_MySQL_Connection_Click();
    w.ExpectOnly("Connection Fail", "Fail to create MySQL connection.");
    EXPECT_NE(w.screen.messages()[0].details.find("Backup copy: "), std::string::npos);
    EXPECT_EQ(FileBytes(w.file), before) << "no flag in the local table";
    EXPECT_EQ(w.form.LastLinkResult(), "");
  }
}

TEST(RefreshLinkCommand, EngineWithoutLinksDropsNothingAndSaysSo) {
  MDB_REQUIRE_SERVER();
  Window w("link_no_engine");
  w.UseTestServer("link_no_engine");
  w.ScriptDao();
  w.dao->can_link = false;
  MakeDatabase("link_no_engine", {"tblemployee"});
  w.form.cmdCreate_MySQL_Connection_Click();
  w.ExpectOnly("Connection Fail", "Fail to create MySQL connection.");
  EXPECT_NE(w.screen.messages()[0].details.find("not supported by this engine yet"),
            std::string::npos);
  EXPECT_TRUE(w.dao->operations.empty());
}

// After a relink: the file is sound and every reader sees the links' catalogue rows.
void ExpectSoundFrontEnd(const std::string& file, const std::string& dsn,
                         const std::vector<std::string>& linked) {
  jet::Database db = jet::Database::Open(file, "qarnivel");
  const jet::CheckReport report = jet::CheckDatabase(db);
  std::string errors;
  for (const std::string& e : report.errors) errors += e + "\n";
  EXPECT_TRUE(report.ok()) << errors;
  EXPECT_TRUE(report.unreachable_rows.empty());
  EXPECT_TRUE(report.unreachable_pages.empty());
  if (testenv::HaveMdbTools()) {
    // The links take the names MySQL lists (lower case on this server); Jet's names ignore case.
    std::string catalogue = testenv::RunCommand("mdb-export '" + file + "' MSysObjects");
    for (char& c : catalogue) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (std::string table : linked) {
      for (char& c : table) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_NE(catalogue.find("\"" + table + "\",4,"), std::string::npos) << table;
    }
    EXPECT_NE(catalogue.find("\"dsn=" + dsn + ";\""), std::string::npos) << catalogue;
  }
  if (!testenv::MdbReaderDir().empty()) {
    int status = 0;
    const std::string out = testenv::RunMdbReader(file, "qarnivel", "const want = \"DSN=" + dsn + R"(;";
let links = 0;
for (const row of reader.getTable("MSysObjects").getData())
  if (row.Type === 4 && row.Connect === want) links++;
for (const name of reader.getTableNames()) reader.getTable(name).getData();
console.log("links " + links);)",
                                                  &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("links " + std::to_string(linked.size())), std::string::npos) << out;
  }
}

// The whole road on a real file, after a migration.
TEST(RefreshLinkEndToEnd, MigratedSampleBecomesAFrontEndOfMySql) {
  MDB_REQUIRE_SERVER();
  MakeDatabase("link_e2e", {});
  Window w("link_e2e");
  w.UseTestServer("link_e2e");
  w.form.Confirm_Click();
  ASSERT_EQ(w.form.LastMigrationResult(), "OK") << testing::PrintToString(w.Texts());
  const std::vector<std::string> migrated = w.form.LastMigration()->MigratedTables();
  w.screen.Clear();

  const std::string before = FileBytes(w.file);
  w.form.cmdCreate_MySQL_Connection_Click();
  ASSERT_EQ(w.screen.messages().size(), 1u) << testing::PrintToString(w.Texts());
  const auto& m = w.screen.messages()[0];
  EXPECT_EQ(m.title, "MySQL connection") << m.text << "\n" << m.details;
  EXPECT_EQ(m.text, "MySQL connection has been successfully created.");
  EXPECT_EQ(FileBytes(w.folder + "/" + kStampedName), before);
  const std::string ini = FileBytes(w.odbc_ini);
  EXPECT_NE(ini.find("[link_e2e]"), std::string::npos) << ini;

  std::vector<std::string> linked;
  {
    auto dao = db::dao::OpenDatabase(w.file, false, false, ";pwd=qarnivel");
    for (const std::string& table : migrated) {
      SCOPED_TRACE(table);
      const db::dao::TableDef def = dao->TableDefByName(table);
      if (table == "tblencrword") {
        EXPECT_EQ(def.connect, "");
        continue;
      }
      EXPECT_EQ(def.connect, "ODBC;DSN=link_e2e;");
      std::string lower = table;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_EQ(def.source_table_name, lower);
      linked.push_back(table);
    }
    // Tables a migration leaves out are not in MySQL, so they stay as they were.
    EXPECT_EQ(dao->TableDefByName("Employees").connect, "");
  }
  ASSERT_FALSE(linked.empty());
  ExpectSoundFrontEnd(w.file, "link_e2e", linked);

  db::Connection admin;
  admin.Open(testenv::TestServerConnectionString("link_e2e"));
  auto flags = admin.Execute("SELECT COUNT(*) FROM tblsystem_parameter_a WHERE ISMySQLDB <> 'YES'");
  EXPECT_EQ(flags->Fields().Item(0).GetValue().ToString(), "0");
  auto mysql_rows = admin.Execute("SELECT COUNT(*) FROM tblemployee");
  long through_link = 0;
  for (auto rs = db::SourceSession().Execute("SELECT * FROM tblEmployee"); !rs->Eof();
       rs->MoveNext())
    ++through_link;
  EXPECT_GT(through_link, 0);
  EXPECT_EQ(std::to_string(through_link), mysql_rows->Fields().Item(0).GetValue().ToString());

  // A second run a second later: a second backup, everything linked again.
  input::SetStampClock([] { return input::LocalTime{2026, 12, 8, 14, 7, 56}; });
  w.screen.Clear();
  w.form.cmdCreate_MySQL_Connection_Click();
  EXPECT_EQ(w.form.LastLinkResult(), "SUCCESS") << testing::PrintToString(w.Texts());
  EXPECT_TRUE(fs::exists(w.folder + "/VELDA08122026140756.MDB"));
  ExpectSoundFrontEnd(w.file, "link_e2e", linked);
}

// The whole road against one node of a Galera cluster: the data source names node 2, the rows
// come back through the links, and the flag the UPDATE through a link sets is on node 3 too.
TEST(RefreshLinkEndToEnd, ClusterNodeServesTheLinksAndTheFlagReachesEveryNode) {
  MDB_REQUIRE_CLUSTER();
  const testenv::GaleraCluster cluster = *testenv::TestCluster();
  testenv::ClusterLock lock(cluster);
  ASSERT_TRUE(cluster.MakeWhole());
  {
    db::Connection admin;
    admin.Open(cluster.ConnectionString(2));
    admin.Execute("DROP DATABASE IF EXISTS link_galera");
    admin.Execute("CREATE DATABASE link_galera CHARACTER SET utf8mb4");
  }
  Window w("link_galera");
  w.server.SetText("127.0.0.1");
  w.port.SetText(std::to_string(cluster.ports[1]));
  w.database.SetText("link_galera");
  w.form.Confirm_Click();
  ASSERT_EQ(w.form.LastMigrationResult(), "OK") << testing::PrintToString(w.Texts());
  const std::vector<std::string> migrated = w.form.LastMigration()->MigratedTables();
  w.screen.Clear();

  w.form.cmdCreate_MySQL_Connection_Click();
  ASSERT_EQ(w.form.LastLinkResult(), "SUCCESS") << testing::PrintToString(w.Texts());
  EXPECT_NE(FileBytes(w.odbc_ini).find("Port=" + std::to_string(cluster.ports[1])),
            std::string::npos);
  std::vector<std::string> linked;
  {
    auto dao = db::dao::OpenDatabase(w.file, false, false, ";pwd=qarnivel");
    for (const std::string& table : migrated)
      if (dao->TableDefByName(table).connect == "ODBC;DSN=link_galera;") linked.push_back(table);
  }
  EXPECT_EQ(linked.size(), migrated.size() - 1);  // all but tblencrword, as on one server
  ExpectSoundFrontEnd(w.file, "link_galera", linked);

  long through_link = 0;
  for (auto rs = db::SourceSession().Execute("SELECT * FROM tblEmployee"); !rs->Eof();
       rs->MoveNext())
    ++through_link;
  EXPECT_EQ(through_link, 40);
  db::Connection third;
  third.Open(cluster.ConnectionString(3, "link_galera"));
  // Reads on node 3 wait until it has applied everything committed before them.
  third.Execute("SET SESSION wsrep_sync_wait = 1");
  auto flags = third.Execute("SELECT ISMySQLDB FROM tblsystem_parameter_a");
  ASSERT_FALSE(flags->Eof());
  EXPECT_EQ(flags->Fields().Item(0).GetValue().ToString(), "YES");
  flags->MoveNext();
  EXPECT_TRUE(flags->Eof());
  auto rows = third.Execute("SELECT COUNT(*) FROM tblemployee");
  EXPECT_EQ(rows->Fields().Item(0).GetValue().ToString(), std::to_string(through_link));
}

TEST(LinkCommandLine, RunsTheCommandAndExitsZeroOnlyOnSuccess) {
  std::ostringstream out, err;
  EXPECT_EQ(cli::RunCommandLine({"link"}, out, err), 2);
  EXPECT_NE(err.str().find("--source FILE is required"), std::string::npos);
  EXPECT_NE(cli::CommandLineUsage().find("mdbtomysql link --source FILE"), std::string::npos);

  MDB_REQUIRE_SERVER();
  Window w("link_cli");
  MakeDatabase("link_cli", {});
  testenv::HeldLock access(w.folder + "/Velda.ldb");
  out.str("");
  EXPECT_EQ(cli::RunCommandLine({"link", "--source", w.file, "--server", "127.0.0.1", "--port",
                            std::to_string(testenv::TestServer()->port), "--database",
                            "link_cli"},
                           out, err),
            1);
  EXPECT_NE(out.str().find(kPermission), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("FAIL"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace forms
