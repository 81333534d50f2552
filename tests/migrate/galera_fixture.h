// The fixture of the tests that migrate through a node of the test run's Galera cluster: it holds
// the cluster for one test at a time and makes it whole (three synced nodes) before and after.
#ifndef MDBTOMYSQL_TESTS_MIGRATE_GALERA_FIXTURE_H_
#define MDBTOMYSQL_TESTS_MIGRATE_GALERA_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/source_session.h"
#include "migrate/migration_engine.h"
#include "support/galera_cluster.h"
#include "support/mysql_snapshot.h"
#include "support/test_env.h"
#include "ui/recording_screen.h"

namespace migrate {

using testenv::Snapshot;

inline std::string One(db::Connection& c, const std::string& sql) {
  auto rs = c.Execute(sql);
  if (rs->Eof()) return "<none>";
  const db::Value& v = rs->Fields().Item(0).GetValue();
  return v.IsNull() ? "NULL" : v.ToString();
}

// A recording screen that also tells a test where the migration stands.
struct HookedScreen : ui::RecordingScreen {
  std::function<void(const ui::Progress&)> on_progress;
  void ShowProgress(const ui::Progress& progress) override {
    ui::RecordingScreen::ShowProgress(progress);
    if (on_progress) on_progress(progress);
  }
};

struct Outcome {
  std::string result;
  std::vector<ui::RecordingScreen::Message> messages;
  long loaded_rows = 0;
  long bulk_rows = 0;
};

class GaleraMigration : public ::testing::Test {
 protected:
  void SetUp() override {
    MDB_REQUIRE_SERVER();
    MDB_REQUIRE_CLUSTER();
    cluster_ = *testenv::TestCluster();
    lock_.emplace(cluster_);
    ASSERT_TRUE(cluster_.MakeWhole());
    single_ = testenv::TestServerConnectionString();
  }
  void TearDown() override {
    if (lock_) {
      EXPECT_TRUE(cluster_.MakeWhole());
    }
  }

  // A session on node `n` whose reads wait until the node has applied every write set the
  // cluster committed before them.
  std::unique_ptr<db::Connection> Node(int n, const std::string& database = "") {
    auto c = std::make_unique<db::Connection>();
    c->Open(cluster_.ConnectionString(n, database));
    c->Execute("SET SESSION wsrep_sync_wait = 1");
    return c;
  }

  // Migrates `path` into a fresh `database` of the server `connection` names (without a
  // database). `prepare` runs on the migration's session before the migration.
  Outcome Migrate(const std::string& connection, const std::string& database,
                  const std::string& path,
                  std::function<void(MigrationEngine&, db::Connection&, HookedScreen&)> prepare =
                      {}) {
    db::Connection admin;
    admin.Open(connection);
    admin.Execute("DROP DATABASE IF EXISTS " + database);
    admin.Execute("CREATE DATABASE " + database + " CHARACTER SET utf8mb4");
    db::Connection mysql;
    mysql.Open(connection.substr(0, connection.find(";Database=")) + ";Database=" + database +
               ";User=root;Password=;Option=3;");
    HookedScreen screen;
    MigrationEngine engine(db::SourceSession(), mysql, screen);
    if (prepare) prepare(engine, mysql, screen);
    db::OpenSourceSession(path, db::kSourcePassword);
    Outcome run;
    run.result = engine.CreateAndInsertData_To_MYSQLTable(path);
    run.messages = screen.messages();
    run.loaded_rows = engine.LoadedRows();
    run.bulk_rows = engine.BulkRows();
    db::SourceSession().Close();
    return run;
  }

  std::vector<std::string> SingleSnapshot(const std::string& database) {
    db::Connection admin;
    admin.Open(single_);
    return Snapshot(admin, database);
  }

  testenv::GaleraCluster cluster_;
  std::optional<testenv::ClusterLock> lock_;
  std::string single_;
};

}  // namespace migrate

#endif  // MDBTOMYSQL_TESTS_MIGRATE_GALERA_FIXTURE_H_
