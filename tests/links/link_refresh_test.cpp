#include "links/link_refresh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "db/connection_strings.h"
#include "db/dsn_registration.h"
#include "db/mysql_quoting.h"
#include "db/source_session.h"
#include "scripted_file.h"
#include "support/test_env.h"
#include "ui/recording_screen.h"

namespace links {
namespace {

using ui::Pointer;

constexpr const char* kPath = "/data/velda.mdb";

// The source session on a scripted file, the DAO opener on the same file.
struct Fixture {
  std::shared_ptr<ScriptedFile> file = std::make_shared<ScriptedFile>();
  ui::RecordingScreen screen;

  Fixture() {
    db::Connection& source = db::SourceSession();
    if (source.State() == db::kAdStateOpen) source.Close();
    source.Attach(std::make_unique<ScriptedSourceSession>(file));
  }
  LinkRefresh Refresh(const std::string& database) {
    return LinkRefresh(kPath, database, screen, ScriptedDao(file));
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& def : file->defs) names.push_back(def.name);
    std::sort(names.begin(), names.end());
    return names;
  }
};

// A MySQL database on the test server with the given tables, registered as a data source of
// the same name in a user data source file of the test's own.
void MakeDataSource(const std::string& name, const std::vector<std::string>& tables) {
  const std::string port = std::to_string(testenv::TestServer()->port);
  db::Connection admin;
  admin.Open(db::MySqlConnectionString({"127.0.0.1", port, "", "root", ""}));
  admin.Execute("DROP DATABASE IF EXISTS " + name);
  admin.Execute("CREATE DATABASE " + name);
  for (const std::string& table : tables)
    admin.Execute("CREATE TABLE " + name + "." + db::QuoteMySqlName(table) + " (id INT)");
  setenv("ODBCINI", (testenv::ScratchDir("links_" + name) + "/odbc.ini").c_str(), 1);
  ASSERT_TRUE(db::AddMYSQLDSNConnection(name, "", "127.0.0.1", name, "root", "", port));
}

TEST(RefreshODBCLinks, RelinksEveryMySqlTableButTheExcludedOne) {
  MDB_REQUIRE_SERVER();
  MakeDataSource("lnk_walk", {"tblemployee", "tblsystem_parameter_a", "tblencrword",
                              "tblmysqlonly", "tblkeeplocal"});
  Fixture f;
  f.file->defs = {Local("tblEmployee"), Local("tblSystem_Parameter_A"), Local("tblencrword"),
                  Local("tblLocalOnly"), Local("tblKeepLocal"), Local("MSysObjects")};
  f.file->refuse_drop = {"tblkeeplocal"};
  LinkRefresh refresh = f.Refresh("lnk_walk");
  EXPECT_EQ(refresh.RefreshODBCLinks("lnk_walk"), "SUCCESS");

  std::vector<std::string> drops;
  for (const std::string& line : f.file->log)
    if (line.rfind("DROP TABLE ", 0) == 0) drops.push_back(line);
  std::sort(drops.begin(), drops.end());
  EXPECT_EQ(drops, (std::vector<std::string>{"DROP TABLE tblemployee", "DROP TABLE tblkeeplocal",
                                             "DROP TABLE tblmysqlonly",
                                             "DROP TABLE tblsystem_parameter_a"}));
  // Linked under the server's spelling; the excluded, local-only and undroppable tables stay.
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"MSysObjects", "tblKeepLocal", "tblLocalOnly",
                                                 "tblemployee", "tblencrword", "tblmysqlonly",
                                                 "tblsystem_parameter_a"}));
  for (const std::string name : {"tblemployee", "tblmysqlonly", "tblsystem_parameter_a"}) {
    const db::dao::TableDef* def = f.file->Find(name);
    EXPECT_EQ(def->connect, "ODBC;DSN=lnk_walk;") << name;
    EXPECT_EQ(def->source_table_name, name);
  }
  EXPECT_EQ(f.file->Find("tblKeepLocal")->connect, "");
  EXPECT_EQ(f.file->Find("tblencrword")->connect, "");
  std::vector<std::string> linked = refresh.outcome().linked;
  std::sort(linked.begin(), linked.end());
  EXPECT_EQ(linked, (std::vector<std::string>{"tblemployee", "tblmysqlonly",
                                              "tblsystem_parameter_a"}));
  EXPECT_EQ(refresh.outcome().not_linked, std::vector<std::string>{"tblkeeplocal"});
  // The refused DROP was skipped with the hourglass; the walk ends with the arrow.
  EXPECT_TRUE(f.screen.messages().empty());
  EXPECT_NE(std::count(f.screen.pointer_history().begin(), f.screen.pointer_history().end(),
                       Pointer::kHourglass),
            0);
  EXPECT_EQ(f.screen.pointer(), Pointer::kArrow);
  EXPECT_EQ(DataSourceSession().State(), db::kAdStateOpen);

  // A second run finds links of its own and makes them again.
  f.file->log.clear();
  EXPECT_EQ(refresh.RefreshODBCLinks("lnk_walk"), "SUCCESS");
  EXPECT_EQ(std::count_if(f.file->log.begin(), f.file->log.end(),
                          [](const std::string& l) { return l.rfind("Append ", 0) == 0; }),
            3);
}

TEST(RefreshODBCLinks, AnEmptyOrExcludedOnlyDatabaseChangesNothing) {
  MDB_REQUIRE_SERVER();
  for (const auto& tables : {std::vector<std::string>{}, std::vector<std::string>{"tblencrword"}}) {
    MakeDataSource("lnk_empty", tables);
    Fixture f;
    f.file->defs = {Local("tblEmployee"), Local("tblencrword")};
    f.file->can_link = false;  // not asked: there is nothing to link
    LinkRefresh refresh = f.Refresh("lnk_empty");
    EXPECT_EQ(refresh.RefreshODBCLinks("lnk_empty"), "SUCCESS");
    EXPECT_TRUE(f.file->log.empty()) << testing::PrintToString(f.file->log);
    EXPECT_EQ(f.Names(), (std::vector<std::string>{"tblEmployee", "tblencrword"}));
    EXPECT_EQ(f.screen.pointer(), Pointer::kArrow);
  }
}

TEST(RefreshODBCLinks, NoTableListMeansFailAndNothingDropped) {
  // No such data source: the session does not open, there is no list.
  setenv("ODBCINI", (testenv::ScratchDir("links_none") + "/odbc.ini").c_str(), 1);
  Fixture f;
  f.file->defs = {Local("tblEmployee")};
  LinkRefresh refresh = f.Refresh("lnk_not_registered");
  EXPECT_EQ(refresh.RefreshODBCLinks("lnk_not_registered"), "FAIL");
  EXPECT_TRUE(f.file->log.empty());
  EXPECT_EQ(f.file->opens, 0);
  EXPECT_NE(refresh.outcome().failure.find("not found"), std::string::npos)
      << refresh.outcome().failure;
  EXPECT_EQ(f.screen.pointer(), Pointer::kArrow);
  EXPECT_TRUE(f.screen.messages().empty());
}

TEST(RefreshODBCLinks, NothingIsDroppedWhenTheLinksCannotBeWritten) {
  MDB_REQUIRE_SERVER();
  MakeDataSource("lnk_nolink", {"tblemployee"});
  for (const bool open_fails : {false, true}) {
    Fixture f;
    f.file->defs = {Local("tblEmployee")};
    f.file->can_link = false;
    f.file->open_fails = open_fails;
    LinkRefresh refresh = f.Refresh("lnk_nolink");
    EXPECT_EQ(refresh.RefreshODBCLinks("lnk_nolink"), "FAIL");
    EXPECT_TRUE(f.file->log.empty()) << testing::PrintToString(f.file->log);
    EXPECT_EQ(f.Names(), std::vector<std::string>{"tblEmployee"});
    EXPECT_FALSE(refresh.outcome().failure.empty());
    EXPECT_EQ(f.screen.pointer(), Pointer::kArrow);
  }
}

TEST(bDoTableLink, CreatesRepairsOrKeepsByUpperCasedTrimmedNames) {
  const std::string mine = "ODBC;DSN=VELDA_MYSQL;";
  struct Case {
    std::string what;
    db::dao::TableDef existing;  // empty name: the name is free
    bool result;
    std::string operation;  // the DAO write, if any
  };
  const Case cases[] = {
      {"free name", {}, true, "Append tblX | ODBC;DSN=VELDA_MYSQL; | tblX"},
      {"local table", Local("TBLX"), false, ""},
      {"already linked here", Link("tblx", "  odbc;dsn=velda_mysql;server=h ", " TBLX "), true, ""},
      {"linked here to another table", Link("tblX", mine, "tblY"), false, ""},
      {"linked elsewhere, same table", Link("tblX", "ODBC;DSN=OLD;", "tblx "), true,
       "RefreshLink tblX | ODBC;DSN=VELDA_MYSQL; | tblx "},
      {"linked elsewhere, other table", Link("tblX", "ODBC;DSN=OLD;", "tblY"), false, ""},
      {"linked to an Access file", Link("tblX", ";DATABASE=/d/b.mdb", "tblX"), true,
       "RefreshLink tblX | ODBC;DSN=VELDA_MYSQL; | tblX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f;
    if (!c.existing.name.empty()) f.file->defs.push_back(c.existing);
    LinkRefresh refresh = f.Refresh("VELDA_MYSQL");
    EXPECT_EQ(refresh.bDoTableLink("ignored", "tblX"), c.result);
    EXPECT_EQ(f.file->log, c.operation.empty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{c.operation});
  }
}

TEST(bDoTableLink, FalseWhenTheEngineRefusesAndRaisesWhenTheFileDoesNotOpen) {
  Fixture f;
  f.file->defs = {Link("tblOld", "ODBC;DSN=OLD;", "tblOld")};
  f.file->refuse_link = {"tblNew", "tblOld"};
  LinkRefresh refresh = f.Refresh("VELDA_MYSQL");
  EXPECT_FALSE(refresh.bDoTableLink("", "tblNew"));
  EXPECT_FALSE(refresh.bDoTableLink("", "tblOld"));
  EXPECT_EQ(f.file->Find("tblOld")->connect, "ODBC;DSN=OLD;");

  // An engine without links at all refuses in words that say so.
  struct NoLinks : db::dao::Database {
    std::vector<db::dao::TableDef> TableDefs() override { return {}; }
  } engine;
  try {
    engine.AppendTableDef(db::dao::Database::CreateTableDef("tblNew"));
    ADD_FAILURE() << "appended";
  } catch (const db::Error& e) {
    EXPECT_NE(e.description().find("not supported by this engine yet"), std::string::npos);
  }

  f.file->open_fails = true;
  EXPECT_THROW(refresh.bDoTableLink("", "tblNew"), db::Error);
}

TEST(IsLinkableName, OnlyNamesTheEngineReadsAsExactlyThemselves) {
  for (const std::string& name : std::vector<std::string>{"tblEmployee", "tbl x", "W_Temp", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE8\xA1\xA8",
                                 "O'Brien", std::string(64, 'a')}) {
    EXPECT_TRUE(IsLinkableName(name)) << name;
  }
  // Each of these would drop or shadow another table, or cannot be a Jet name at all.
  for (const std::string& name : std::vector<std::string>{"tblemployee;", "[tblLeave_Header]", " tblx", "tblx ", "a.b",
                                 "a!b", "a`b", "a\tb", "", std::string(65, 'a'),
                                 std::string(63, 'a') + "\xF0\x9F\x98\x80"}) {
    EXPECT_FALSE(IsLinkableName(name)) << name;
  }
}

TEST(RefreshODBCLinks, NamesThatOnlyResembleLocalNamesDropNothing) {
  MDB_REQUIRE_SERVER();
  // (MariaDB names hold at most 64 characters of the Basic Multilingual Plane, so a name too long
  // for Jet cannot come from the server; IsLinkableName refuses one all the same.)
  const std::string dotted = "tbl.Employee";
  MakeDataSource("lnk_odd", {"tblemployee;", "[tblLeave_Header]", " tblx", "tblok", dotted});
  Fixture f;
  f.file->defs = {Local("tblEmployee"), Local("tblLeave_Header"), Local("TBLX"), Local("tblOK")};
  LinkRefresh refresh = f.Refresh("lnk_odd");
  EXPECT_EQ(refresh.RefreshODBCLinks("lnk_odd"), "SUCCESS");
  for (const std::string& line : f.file->log) {
    EXPECT_TRUE(line == "DROP TABLE tblok" || line.rfind("Append tblok ", 0) == 0) << line;
  }
  EXPECT_EQ(f.Names(),
            (std::vector<std::string>{"TBLX", "tblEmployee", "tblLeave_Header", "tblok"}));
  std::vector<std::string> skipped = refresh.outcome().skipped_names;
  std::sort(skipped.begin(), skipped.end());
  EXPECT_EQ(skipped, (std::vector<std::string>{" tblx", "[tblLeave_Header]", dotted,
                                               "tblemployee;"}));
  EXPECT_EQ(refresh.outcome().linked, std::vector<std::string>{"tblok"});
}

TEST(RefreshODBCLinks, AFailureOfTheFileStopsTheWalkAtOnce) {
  MDB_REQUIRE_SERVER();
  MakeDataSource("lnk_eio", {"tbla", "tblb", "tblc"});
  for (const char* fails : {"drop", "link"}) {
    SCOPED_TRACE(fails);
    Fixture f;
    f.file->defs = {Local("tbla"), Local("tblb"), Local("tblc")};
    // The server lists the tables in an order of its own: the second one met fails.
    LinkRefresh probe = f.Refresh("lnk_eio");
    ASSERT_EQ(probe.RefreshODBCLinks("lnk_eio"), "SUCCESS");
    const std::string second = probe.outcome().tables.at(1);
    const std::string third = probe.outcome().tables.at(2);
    f.file->defs = {Local("tbla"), Local("tblb"), Local("tblc")};
    f.file->log.clear();
    (std::string(fails) == "drop" ? f.file->fail_drop : f.file->fail_link).insert(second);

    LinkRefresh refresh = f.Refresh("lnk_eio");
    EXPECT_EQ(refresh.RefreshODBCLinks("lnk_eio"), "FAIL");
    EXPECT_NE(refresh.outcome().file_error.find("velda.mdb"), std::string::npos);
    // Nothing after the failure was dropped or linked.
    for (const std::string& line : f.file->log) EXPECT_EQ(line.find(third), std::string::npos);
    EXPECT_NE(f.file->Find(third), nullptr);
    EXPECT_EQ(f.file->Find(third)->connect, "");
    EXPECT_EQ(refresh.outcome().linked.size(), 1u);
    if (std::string(fails) == "link") {
      EXPECT_EQ(refresh.outcome().dropped_not_linked, std::vector<std::string>{second});
    } else {
      EXPECT_TRUE(refresh.outcome().dropped_not_linked.empty());
      EXPECT_NE(f.file->Find(second), nullptr) << "its DROP failed, so it is still there";
    }
    EXPECT_EQ(f.screen.pointer(), Pointer::kArrow);
  }
}

TEST(LinkTexts, QueryAndConnectStandAsTheSystemSendsThem) {
  EXPECT_EQ(TableQuery("VELDA_MYSQL"),
            "SELECT table_name FROM information_schema.tables where table_schema='VELDA_MYSQL';");
  // A quote cannot widen the query to other databases.
  EXPECT_EQ(TableQuery("x' OR '1'='1"),
            "SELECT table_name FROM information_schema.tables where table_schema="
            "'x'' OR ''1''=''1';");
  EXPECT_EQ(TableQuery("a\\b"),
            "SELECT table_name FROM information_schema.tables where table_schema='a\\\\b';");
  EXPECT_EQ(db::LinkConnectString(" VELDA_MYSQL "), "ODBC;DSN= VELDA_MYSQL ;");
}

}  // namespace
}  // namespace links
