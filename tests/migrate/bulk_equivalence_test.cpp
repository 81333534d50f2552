// The batched copy must leave exactly what one INSERT per row leaves, failures included.
#include <gtest/gtest.h>

#include <algorithm>

#include "db/connection_strings.h"
#include "db/source_session.h"
#include "migrate/migration_engine.h"
#include "scripted_sessions.h"
#include "support/test_env.h"
#include "ui/recording_screen.h"

namespace migrate {
namespace {

// Everything a person could see of a database: per table its rows (sorted, auto-increment and
// MYSQL_IDD numbers included) and its next AUTO_INCREMENT value.
std::vector<std::string> Snapshot(db::Connection& admin, const std::string& database) {
  std::vector<std::string> out;
  auto tables = admin.Execute("SELECT table_name, COALESCE(auto_increment, 0) FROM "
                              "information_schema.tables WHERE table_schema = '" + database +
                              "' ORDER BY table_name");
  std::vector<std::pair<std::string, std::string>> names;
  while (!tables->Eof()) {
    names.emplace_back(tables->Fields().Item(0).GetValue().ToString(),
                       tables->Fields().Item(1).GetValue().ToString());
    tables->MoveNext();
  }
  for (const auto& [name, next] : names) {
    out.push_back("table " + name + " next " + next);
    std::vector<std::string> rows;
    auto rs = admin.Execute("SELECT * FROM `" + database + "`.`" + name + "`");
    while (!rs->Eof()) {
      std::string line;
      for (int i = 0; i < rs->Fields().Count(); ++i) {
        const db::Value& v = rs->Fields().Item(i).GetValue();
        line += (v.IsNull() ? "NULL" : v.ToString()) + "|";
      }
      rows.push_back(line);
      rs->MoveNext();
    }
    std::sort(rows.begin(), rows.end());
    out.insert(out.end(), rows.begin(), rows.end());
  }
  return out;
}

class BulkEquivalence : public ::testing::Test {
 protected:
  void SetUp() override {
    MDB_REQUIRE_SERVER();
    port_ = std::to_string(testenv::TestServer()->port);
    admin_.Open(db::MySqlConnectionString({"localhost", port_, "", "root", ""}));
  }

  struct Run {
    std::string result;
    std::vector<ui::RecordingScreen::Message> messages;
    std::vector<std::string> snapshot;
  };

  // Migrates `path` (or, when empty, the scripted source) into a fresh database.
  Run Migrate(const std::string& kind, const std::string& path, bool row_at_a_time,
              const std::string& engine = "", ScriptedSource* scripted = nullptr) {
    // Tests run in parallel: each has databases of its own.
    const std::string database =
        kind + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    admin_.Execute("DROP DATABASE IF EXISTS " + database);
    admin_.Execute("CREATE DATABASE " + database + " CHARACTER SET utf8mb4");
    db::Connection mysql;
    mysql.Open(db::MySqlConnectionString({"localhost", port_, database, "root", ""}));
    if (!engine.empty()) mysql.Execute("SET SESSION default_storage_engine = " + engine);
    ui::RecordingScreen screen;
    MigrationEngine migration(mysql, screen);
    if (scripted) {
      // The scripted table skips the engine's frame, where the session's mode is set.
      migration.CreateAndInsertData_To_MYSQLTable("/nonexistent.mdb");
      screen.Clear();
    }
    migration.SetRowAtATime(row_at_a_time);
    Run run;
    if (scripted) {
      // The scripted table goes through the engine's own steps, bar the file's catalogue.
      try {
        const std::string columns = "`ID`, `Label`";
        mysql.Execute("CREATE table tblscripted (`ID` int DEFAULT 0 NULL, `Label` varchar (20))");
        migration.ListPK("tblscripted", "");
        migration.CopyTableRows("tblScripted", "tblscripted", columns);
        run.result = "OK";
      } catch (const db::Error& e) {
        run.result = "FAIL: " + e.description();
      }
    } else {
      db::OpenSourceSession(path, db::kSourcePassword);
      run.result = migration.CreateAndInsertData_To_MYSQLTable(path);
    }
    run.messages = screen.messages();
    run.snapshot = Snapshot(admin_, database);
    return run;
  }

  void ExpectSameEndState(const Run& reference, const Run& bulk) {
    EXPECT_EQ(bulk.result, reference.result);
    ASSERT_EQ(bulk.messages.size(), reference.messages.size());
    for (size_t i = 0; i < bulk.messages.size(); ++i) {
      EXPECT_EQ(bulk.messages[i].text, reference.messages[i].text);
      EXPECT_EQ(bulk.messages[i].details, reference.messages[i].details);
    }
    EXPECT_EQ(bulk.snapshot, reference.snapshot);
  }

  std::string port_;
  db::Connection admin_;
};

TEST_F(BulkEquivalence, SampleDatabase) {
  const std::string path = testenv::FixturePath("velda_sample.mdb");
  const Run reference = Migrate("bulk_ref", path, true);
  ASSERT_EQ(reference.result, "OK");
  ExpectSameEndState(reference, Migrate("bulk_fast", path, false));
}

TEST_F(BulkEquivalence, RefusedRowInTheMiddleOfATable) {
  const std::string path = testenv::FixturePath("reject_midtable.mdb");
  for (const std::string engine : {"InnoDB", "MyISAM"}) {
    const Run reference = Migrate("bulk_ref", path, true, engine);
    ASSERT_EQ(reference.result, "FAIL") << engine;
    const Run bulk = Migrate("bulk_fast", path, false, engine);
    ExpectSameEndState(reference, bulk);
    // The refused row is row 600 of its table: 599 rows stay, numbered as in the file.
    EXPECT_NE(std::find(bulk.snapshot.begin(), bulk.snapshot.end(), "table tblleave_header next 600"),
              bulk.snapshot.end())
        << engine;
  }
}

TEST_F(BulkEquivalence, RefusedRowInTheMiddleOfABatchWithASurrogateKey) {
  for (const std::string engine : {"InnoDB", "MyISAM"}) {
    auto source = std::make_unique<ScriptedSource>();
    ScriptedTable& t = source->tables["tblScripted"];
    db::FieldInfo id{"ID", db::ado_type::kInteger, 4, 118, 0, 0};
    db::FieldInfo label{"Label", db::ado_type::kVarWChar, 20, 0x60, 0, 0};
    t.columns = {id, label};
    for (int i = 1; i <= 2600; ++i)
      t.rows.push_back({db::Value::Integer(i),
                        db::Value::Text(i == 1700 ? std::string(30, 'x') : "row " + std::to_string(i))});
    ScriptedSource* scripted = source.get();
    if (db::SourceSession().State() == db::kAdStateOpen) db::SourceSession().Close();
    db::SourceSession().Attach(std::move(source));
    const Run reference = Migrate("bulk_ref", "", true, engine, scripted);
    const Run bulk = Migrate("bulk_fast", "", false, engine, scripted);
    EXPECT_EQ(reference.result.rfind("FAIL: ", 0), 0u) << reference.result;
    ExpectSameEndState(reference, bulk);
    EXPECT_NE(std::find(bulk.snapshot.begin(), bulk.snapshot.end(), "1699|row 1699|1699|"),
              bulk.snapshot.end())
        << engine;
    db::SourceSession().Close();
  }
}

}  // namespace
}  // namespace migrate
