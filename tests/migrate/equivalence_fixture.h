// The fixture of the tests that hold a fast copy against the reference, one INSERT per row: both
// migrate the same source into fresh databases of the test MariaDB, and everything a person
// could see of the two must be the same, failures included.
#ifndef MDBTOMYSQL_TESTS_MIGRATE_EQUIVALENCE_FIXTURE_H_
#define MDBTOMYSQL_TESTS_MIGRATE_EQUIVALENCE_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/connection_strings.h"
#include "db/source_session.h"
#include "migrate/column_translation.h"
#include "migrate/migration_engine.h"
#include "scripted_sessions.h"
#include "support/mysql_snapshot.h"
#include "support/test_env.h"
#include "ui/recording_screen.h"

namespace migrate {

class EquivalenceFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    MDB_REQUIRE_SERVER();
    port_ = std::to_string(testenv::TestServer()->port);
    admin_.Open(db::MySqlConnectionString({"localhost", port_, "", "root", ""}));
    // ctest runs these cases side by side. One of them turns local_infile off for the whole
    // server while the others count the rows LOAD DATA carried, so they take turns; the lock
    // goes with the connection.
    auto lock = admin_.Execute("SELECT GET_LOCK('mdbtomysql_bulk_equivalence', 600)");
    ASSERT_EQ(lock->Fields().Item(0).GetValue().ToString(), "1");
  }

  struct Run {
    std::string result;
    std::vector<ui::RecordingScreen::Message> messages;
    std::vector<std::string> snapshot;
    long loaded_rows = 0;  // rows that went through LOAD DATA
    long bulk_rows = 0;    // of those, rows of tables loaded whole in bulk mode
    // The migration's session afterwards: "unique_checks foreign_key_checks".
    std::string checks;
    std::string database;
  };

  // Migrates `path` (or, when empty, the scripted source) into a fresh database. The engine
  // takes server_version_ for the server's own when it is set; session_setup_ runs on the
  // migration's session first when set.
  Run Migrate(const std::string& kind, const std::string& path, bool row_at_a_time,
              const std::string& engine = "", ScriptedSource* scripted = nullptr,
              long chunk_rows = 0) {
    // Tests run in parallel: each has databases of its own.
    const std::string database =
        kind + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    admin_.Execute("DROP DATABASE IF EXISTS " + database);
    admin_.Execute("CREATE DATABASE " + database + " CHARACTER SET utf8mb4");
    db::Connection mysql;
    mysql.Open(db::MySqlConnectionString({"localhost", port_, database, "root", ""}));
    if (!engine.empty()) mysql.Execute("SET SESSION default_storage_engine = " + engine);
    if (!session_setup_.empty()) mysql.Execute(session_setup_);
    ui::RecordingScreen screen;
    MigrationEngine migration(db::SourceSession(), mysql, screen);
    migration.SetServerVersion(server_version_);
    migration.SetRowAtATime(row_at_a_time);
    if (scripted) {
      // The scripted table skips the engine's frame, where the session is prepared.
      migration.CreateAndInsertData_To_MYSQLTable("/nonexistent.mdb");
      screen.Clear();
    }
    if (chunk_rows > 0) migration.SetChunkRows(chunk_rows);
    Run run;
    if (scripted) {
      // The scripted table goes through the engine's own steps, bar the file's catalogue.
      try {
        std::string definitions, columns;
        for (const db::FieldInfo& column : scripted->tables["tblScripted"].columns) {
          bool auto_increment = false;
          definitions += ColumnDefinition("tblscripted", column, &auto_increment);
          columns += (columns.empty() ? "`" : ", `") + column.name + "`";
        }
        definitions.erase(definitions.size() - 2);
        mysql.Execute("CREATE table tblscripted (" + definitions + ")");
        migration.ListPK("tblscripted", "");
        if (!before_rows_.empty()) mysql.Execute(before_rows_);
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
    run.snapshot = testenv::Snapshot(admin_, database);
    run.loaded_rows = migration.LoadedRows();
    run.bulk_rows = migration.BulkRows();
    auto checks =
        mysql.Execute("SELECT CONCAT(@@unique_checks + 0, ' ', @@foreign_key_checks + 0)");
    run.checks = checks->Fields().Item(0).GetValue().ToString();
    run.database = database;
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

  // Rows in a snapshot: every line but the tables' own.
  static long SnapshotRows(const Run& run) {
    long rows = 0;
    for (const std::string& line : run.snapshot) rows += line.rfind("table ", 0) != 0;
    return rows;
  }

  // Serves `table` as tblScripted from a scripted source session.
  static ScriptedSource* InstallScripted(ScriptedTable table) {
    auto source = std::make_unique<ScriptedSource>();
    source->tables["tblScripted"] = std::move(table);
    ScriptedSource* scripted = source.get();
    if (db::SourceSession().State() == db::kAdStateOpen) db::SourceSession().Close();
    db::SourceSession().Attach(std::move(source));
    return scripted;
  }

  // A server that does not load in bulk mode (the release before its fix): the copy goes in
  // LOAD DATA files, one transaction each.
  static constexpr const char* kWithoutBulkMode = "10.11.10-MariaDB-0+deb12u1";

  std::string port_;
  db::Connection admin_;
  std::string server_version_;  // empty: the server's own
  std::string session_setup_;   // a statement for the migration's session, or empty
  std::string before_rows_;     // a statement run after the scripted table's keys, or empty
};

}  // namespace migrate

#endif  // MDBTOMYSQL_TESTS_MIGRATE_EQUIVALENCE_FIXTURE_H_
