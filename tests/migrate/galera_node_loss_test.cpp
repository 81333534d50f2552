// A node of the Galera cluster stopped by its PID in the middle of migrating the attendance
// database: another node, and the migration finishes with the full result on the two that
// remain; the node in use, and it ends with its failure message over a prefix of the rows.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "galera_fixture.h"
#include "support/test_files.h"

namespace migrate {
namespace {

// The attendance database as one server holds it after a migration: per table its next
// AUTO_INCREMENT, its rows and their checksum. Made once for the test run under a lock, since
// ctest runs each test in a process of its own.
constexpr const char* kBenchReference = "gal_ref_bench";
const std::vector<std::string> kBenchTables = {"tblattendance_log", "tblemployee"};

std::vector<std::string> Digest(db::Connection& c, const std::string& database) {
  std::vector<std::string> out;
  for (const std::string& table : kBenchTables) {
    const std::string exists =
        One(c, "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = '" + database +
                   "' AND table_name = '" + table + "'");
    if (exists != "1") continue;
    auto rs = c.Execute("CHECKSUM TABLE `" + database + "`.`" + table + "`");
    out.push_back(table + " next " +
                  One(c,
                      "SELECT auto_increment FROM information_schema.tables WHERE table_schema "
                      "= '" +
                          database + "' AND table_name = '" + table + "'") +
                  " rows " + One(c, "SELECT COUNT(*) FROM `" + database + "`.`" + table + "`") +
                  " checksum " + rs->Fields().Item(1).GetValue().ToString());
  }
  return out;
}

// COUNT and a checksum of the rows of `table` (the first `limit` by key, when limit >= 0).
std::string RowsDigest(db::Connection& c, const std::string& database, const std::string& table,
                       const std::string& key, long limit) {
  std::string values;
  auto columns = c.Execute(
      "SELECT column_name FROM information_schema.columns WHERE "
      "table_schema = '" +
      database + "' AND table_name = '" + table + "' ORDER BY ordinal_position");
  for (; !columns->Eof(); columns->MoveNext())
    values += ", QUOTE(`" + columns->Fields().Item(0).GetValue().ToString() + "`)";
  std::string from = "`" + database + "`.`" + table + "`";
  if (limit >= 0)
    from = "(SELECT * FROM " + from + " ORDER BY `" + key + "` LIMIT " + std::to_string(limit) +
           ") AS first_rows";
  return One(c, "SELECT CONCAT(COUNT(*), ' ', COALESCE(SUM(CRC32(CONCAT_WS('|'" + values +
                    "))), 0)) FROM " + from);
}

// What each node says about itself and the end of its log, for a test that has stopped moving.
void PrintClusterState(const std::string& dir) {
  const std::string command =
      "for n in 1 2 3; do echo \"== node $n, pid $(cat '" + dir +
      "'/node$n/pid 2>/dev/null)\"; timeout 10 mariadb --no-defaults --socket='" + dir +
      "'/node$n/mysqld.sock -uroot -N -B -e \"SHOW STATUS WHERE Variable_name IN "
      "('wsrep_local_state_comment', 'wsrep_cluster_size', 'wsrep_cluster_status', "
      "'wsrep_ready', 'wsrep_flow_control_paused'); SHOW FULL PROCESSLIST\" 2>&1; "
      "tail -n 20 '" + dir + "'/node$n/mysqld.err; done";
  std::fprintf(stderr, "%s\n", testenv::RunCommand(command).c_str());
}

class GaleraNodeLoss : public GaleraMigration {
 protected:
  // A cluster that stops answering must not take the test run's time: past the deadline the
  // test says where it stood and what the nodes say, and ends.
  void StartWatchdog() {
    watchdog_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(watch_mutex_);
      if (watch_done_.wait_for(lock, std::chrono::seconds(420), [this] { return finished_; }))
        return;
      std::fprintf(stderr, "the test stopped moving at: %s\n", stage_.load());
      PrintClusterState(cluster_.dir);
      std::fflush(stderr);
      std::_Exit(1);
    });
  }
  void TearDown() override {
    stage_ = "making the cluster whole again";
    GaleraMigration::TearDown();
    {
      std::lock_guard<std::mutex> lock(watch_mutex_);
      finished_ = true;
    }
    watch_done_.notify_all();
    if (watchdog_.joinable()) watchdog_.join();
  }

  void SetUp() override {
    StartWatchdog();
    stage_ = "waiting for the cluster";
    GaleraMigration::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    MDB_REQUIRE_SHARED();
    bench_ = *testenv::SharedDir() + "/fixtures/bench_attendance.mdb";
    db::Connection single;
    single.Open(single_);
    stage_ = "making the reference on one server";
    ASSERT_EQ(One(single, "SELECT GET_LOCK('mdbtomysql_galera_bench', 300)"), "1");
    if (One(single, "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = '" +
                        std::string(kBenchReference) + "' AND table_name = 'complete'") != "1") {
      ASSERT_EQ(Migrate(single_, kBenchReference, bench_).result, "OK");
      single.Execute(std::string("CREATE TABLE ") + kBenchReference + ".complete (x int)");
    }
    reference_ = Digest(single, kBenchReference);
    ASSERT_EQ(reference_.size(), kBenchTables.size());
  }

  // Migrates the attendance database through node 1 and kills node `victim` by its PID while the
  // attendance log's rows are on their way.
  Outcome MigrateLosing(int victim) {
    std::thread killer;
    std::atomic<bool> armed{true};
    stage_ = "migrating through node 1";
    const Outcome run = Migrate(cluster_.ConnectionString(1), "gal_bench", bench_,
                                [&](MigrationEngine&, db::Connection&, HookedScreen& screen) {
                                  screen.on_progress = [&](const ui::Progress& p) {
                                    if (p.done < 10000 || !armed.exchange(false)) return;
                                    // A moment later, so that the node goes while a file is being
                                    // loaded.
                                    killer = std::thread([this, victim] {
                                      std::this_thread::sleep_for(std::chrono::milliseconds(300));
                                      cluster_.Kill(victim);
                                      stage_ = "migrating through node 1, a node stopped";
                                    });
                                  };
                                });
    if (killer.joinable()) killer.join();
    EXPECT_FALSE(armed) << "the migration ended before node " << victim << " could be stopped";
    return run;
  }

  // Waits until node `n` sees a cluster of `size` nodes.
  void AwaitClusterSize(int n, int size) {
    stage_ = "waiting for the cluster to shrink";
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (std::chrono::steady_clock::now() < give_up) {
      if (One(*Node(n),
              "SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE "
              "VARIABLE_NAME = 'WSREP_CLUSTER_SIZE'") == std::to_string(size))
        return;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ADD_FAILURE() << "node " << n << " never saw " << size << " nodes";
  }

  std::string bench_;
  std::vector<std::string> reference_;
  std::atomic<const char*> stage_{"starting"};

 private:
  std::thread watchdog_;
  std::mutex watch_mutex_;
  std::condition_variable watch_done_;
  bool finished_ = false;
};

TEST_F(GaleraNodeLoss, AnotherNodeGoingAwayLeavesTheFullResultOnTheTwoThatRemain) {
  const Outcome run = MigrateLosing(3);
  EXPECT_EQ(run.result, "OK") << (run.messages.empty() ? "" : run.messages[0].details);
  AwaitClusterSize(1, 2);
  for (int n : {1, 2}) EXPECT_EQ(Digest(*Node(n), "gal_bench"), reference_) << "node " << n;
  // Back in the cluster, node 3 catches up with everything it missed.
  stage_ = "starting node 3 again";
  ASSERT_TRUE(cluster_.MakeWhole());
  EXPECT_EQ(Digest(*Node(3), "gal_bench"), reference_);
}

TEST_F(GaleraNodeLoss, TheNodeInUseGoingAwayFailsAndTheOthersHoldAPrefix) {
  const Outcome run = MigrateLosing(1);
  EXPECT_EQ(run.result, "FAIL");
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_EQ(run.messages[0].text, "Invalid table column in VELDA.mdb");
  AwaitClusterSize(2, 2);
  db::Connection single;
  single.Open(single_);
  for (int n : {2, 3}) {
    SCOPED_TRACE("node " + std::to_string(n));
    auto node = Node(n);
    // The tables there are the first ones in migration order; each is the first rows of the
    // reference's, and only the last may be short.
    bool short_seen = false;
    for (const std::string& table : kBenchTables) {
      if (One(*node,
              "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = "
              "'gal_bench' AND table_name = '" +
                  table + "'") != "1") {
        short_seen = true;
        continue;
      }
      EXPECT_FALSE(short_seen) << table << " is there after a table that is not complete";
      const std::string key = table == "tblemployee" ? "EmpID" : "LogID";
      const std::string held = RowsDigest(*node, "gal_bench", table, key, -1);
      const long rows = std::atol(held.c_str());
      EXPECT_EQ(held, RowsDigest(single, kBenchReference, table, key, rows)) << table;
      if (held != RowsDigest(single, kBenchReference, table, key, -1)) short_seen = true;
    }
  }
}

}  // namespace
}  // namespace migrate
