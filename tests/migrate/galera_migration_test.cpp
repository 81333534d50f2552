// Migrations through one node of a three-node Galera cluster end on every node as the same
// migration ends on one server.
#include <gtest/gtest.h>

#include <memory>

#include "galera_fixture.h"
#include "migrate/cluster_session.h"
#include "scripted_sessions.h"

namespace migrate {
namespace {

TEST_F(GaleraMigration, NodesNumberTheirOwnRowsApartSoTheSessionMustNot) {
  // Without this the tests below would prove nothing: the cluster spreads numbers over nodes.
  auto node = Node(1);
  EXPECT_EQ(One(*node, "SELECT @@auto_increment_increment"), "3");
  node->Execute("SET SESSION auto_increment_increment = 1");
  EXPECT_EQ(One(*node, "SELECT @@auto_increment_increment"), "3");
  const ClusterSession cluster = ReadClusterSession(*node);
  EXPECT_TRUE(cluster.replicated);
  EXPECT_NE(cluster.numbering_prefix, "");
  db::Connection single;
  single.Open(single_);
  const ClusterSession one = ReadClusterSession(single);
  EXPECT_FALSE(one.replicated);
  EXPECT_EQ(one.numbering_prefix, "");
  EXPECT_EQ(one.max_rows, 0);
}

TEST_F(GaleraMigration, SampleDatabasesEndOnEveryNodeAsOnOneServer) {
  for (const std::string name : {"velda_sample", "reject_midtable"}) {
    SCOPED_TRACE(name);
    const std::string path = testenv::FixturePath(name + ".mdb");
    const Outcome reference = Migrate(single_, "gal_ref_" + name, path);
    const Outcome run = Migrate(cluster_.ConnectionString(1), "gal_" + name, path);
    EXPECT_EQ(run.result, reference.result);
    // Every file went in whole, bar the one with the refused row, as on one server. (The
    // reference may have sent INSERTs: a test beside this one turns local_infile off for a
    // moment.)
    EXPECT_EQ(run.loaded_rows, name == "velda_sample" ? 96 : 10);
    // Never a whole table in bulk mode on a cluster, although the server qualifies on its own:
    // its write sets must stay inside the limits, in files.
    EXPECT_EQ(run.bulk_rows, 0);
    ASSERT_EQ(run.messages.size(), reference.messages.size());
    for (size_t i = 0; i < run.messages.size(); ++i)
      EXPECT_EQ(run.messages[i].details, reference.messages[i].details);
    const std::vector<std::string> expected = SingleSnapshot("gal_ref_" + name);
    ASSERT_FALSE(expected.empty());
    for (int n = 1; n <= 3; ++n) {
      auto node = Node(n);
      EXPECT_EQ(Snapshot(*node, "gal_" + name), expected) << "node " << n;
    }
  }
  // One INSERT per row leaves the same on every node.
  const Outcome row_at_a_time =
      Migrate(cluster_.ConnectionString(1), "gal_rows", testenv::FixturePath("velda_sample.mdb"),
              [](MigrationEngine& engine, db::Connection&, HookedScreen&) { engine.SetRowAtATime(true); });
  EXPECT_EQ(row_at_a_time.result, "OK");
  const std::vector<std::string> expected = SingleSnapshot("gal_ref_velda_sample");
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(Snapshot(*Node(n), "gal_rows"), expected) << n;
  // The refused row 600: rows 1-599 and no later table, on every node.
  for (int n = 1; n <= 3; ++n) {
    auto node = Node(n, "gal_reject_midtable");
    EXPECT_EQ(One(*node, "SELECT COUNT(*) FROM tblleave_header"), "599") << n;
    EXPECT_EQ(One(*node, "SELECT MAX(LeaveID) FROM tblleave_header"), "599") << n;
    EXPECT_EQ(One(*node,
                  "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = "
                  "'gal_reject_midtable' AND table_name = 'tblz_after'"),
              "0")
        << n;
  }
}

TEST_F(GaleraMigration, TableOfAnEngineTheClusterDoesNotReplicateIsRefusedBeforeItsRows) {
  const Outcome run =
      Migrate(cluster_.ConnectionString(1), "gal_myisam", testenv::FixturePath("velda_sample.mdb"),
              [](MigrationEngine&, db::Connection& mysql, HookedScreen&) {
                mysql.Execute("SET SESSION default_storage_engine = MyISAM");
              });
  EXPECT_EQ(run.result, "FAIL");
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_EQ(run.messages[0].text, "Invalid table column in VELDA.mdb");
  EXPECT_NE(run.messages[0].details.find("created as a MyISAM table"), std::string::npos)
      << run.messages[0].details;
  EXPECT_NE(run.messages[0].details.find("replicates only InnoDB"), std::string::npos);
  for (int n = 1; n <= 3; ++n) {
    auto node = Node(n);
    // The refused table is there, empty, on every node; nothing after it.
    for (const std::string& line : Snapshot(*node, "gal_myisam"))
      EXPECT_EQ(line.rfind("table ", 0), 0u) << "node " << n << ": " << line;
    EXPECT_EQ(One(*node,
                  "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = "
                  "'gal_myisam'"),
              "1")
        << n;
  }
}

// Sets write-set limits on node 1 for one test and puts the old ones back.
class WriteSetLimits {
 public:
  WriteSetLimits(db::Connection& node, long rows, long bytes) : node_(node) {
    rows_ = One(node, "SELECT @@GLOBAL.wsrep_max_ws_rows");
    bytes_ = One(node, "SELECT @@GLOBAL.wsrep_max_ws_size");
    node.Execute("SET GLOBAL wsrep_max_ws_rows = " + std::to_string(rows));
    node.Execute("SET GLOBAL wsrep_max_ws_size = " + std::to_string(bytes));
  }
  ~WriteSetLimits() {
    node_.Execute("SET GLOBAL wsrep_max_ws_rows = " + rows_);
    node_.Execute("SET GLOBAL wsrep_max_ws_size = " + bytes_);
  }

 private:
  db::Connection& node_;
  std::string rows_, bytes_;
};

TEST_F(GaleraMigration, EveryTransactionOfTheCopyStaysInsideTheWriteSetLimits) {
  auto node = Node(1);
  const std::string path = testenv::FixturePath("velda_sample.mdb");
  Migrate(single_, "gal_ref_limits", path);
  const std::vector<std::string> expected = SingleSnapshot("gal_ref_limits");
  ScriptedTable t;
  t.columns = {{"ID", db::ado_type::kInteger, 4, 118, 0, 0},
               {"Label", db::ado_type::kVarWChar, 20, 0x60, 0, 0}};
  for (int i = 1; i <= 3500; ++i)
    t.rows.push_back({db::Value::Integer(i), db::Value::Text("row " + std::to_string(i))});
  // A node that refuses more than 1,000 rows at a time (at the statement), then one that refuses
  // more than 64 KiB (at the commit; the 40,000-character memo of the sample fits alone).
  for (const auto& [rows, bytes] : {std::pair<long, long>{1000, 1L << 30}, {0, 64 << 10}}) {
    SCOPED_TRACE("wsrep_max_ws_rows " + std::to_string(rows) + ", wsrep_max_ws_size " +
                 std::to_string(bytes));
    WriteSetLimits limits(*node, rows, bytes);
    const Outcome run = Migrate(cluster_.ConnectionString(1), "gal_limits", path);
    EXPECT_EQ(run.result, "OK") << (run.messages.empty() ? "" : run.messages[0].details);
    EXPECT_EQ(run.loaded_rows, 96);  // every row of the sample, in files that went in whole
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(Snapshot(*Node(n), "gal_limits"), expected) << n;

    for (const bool by_insert : {false, true}) {
      SCOPED_TRACE(by_insert ? "INSERT batches" : "LOAD DATA files");
      node->Execute("DROP DATABASE IF EXISTS gal_limits_scripted");
      node->Execute("CREATE DATABASE gal_limits_scripted");
      db::Connection mysql;
      mysql.Open(cluster_.ConnectionString(1, "gal_limits_scripted"));
      // Node 1 refusing LOAD DATA LOCAL sends INSERT batches instead.
      node->Execute(std::string("SET GLOBAL local_infile = ") + (by_insert ? "0" : "1"));
      ui::RecordingScreen screen;
      MigrationEngine engine(db::SourceSession(), mysql, screen);
      // The engine's frame reads the limits; the scripted table then goes through its steps.
      engine.CreateAndInsertData_To_MYSQLTable("/nonexistent.mdb");
      auto source = std::make_unique<ScriptedSource>();
      source->tables["tblScripted"] = t;
      if (db::SourceSession().State() == db::kAdStateOpen) db::SourceSession().Close();
      db::SourceSession().Attach(std::move(source));
      mysql.Execute("CREATE table tblscripted (`ID` int, `Label` varchar(20))");
      engine.ListPK("tblscripted", "");
      EXPECT_NO_THROW(engine.CopyTableRows("tblScripted", "tblscripted", "`ID`, `Label`"));
      db::SourceSession().Close();
      node->Execute("SET GLOBAL local_infile = 1");
      EXPECT_EQ(engine.LoadedRows(), by_insert ? 0 : 3500);
      auto third = Node(3, "gal_limits_scripted");
      EXPECT_EQ(One(*third, "SELECT COUNT(*) FROM tblscripted"), "3500");
      EXPECT_EQ(One(*third, "SELECT COUNT(*) FROM tblscripted WHERE MYSQL_IDD = ID"), "3500");
    }
  }
}

}  // namespace
}  // namespace migrate
