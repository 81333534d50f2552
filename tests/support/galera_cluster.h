#ifndef MDBTOMYSQL_TESTS_SUPPORT_GALERA_CLUSTER_H_
#define MDBTOMYSQL_TESTS_SUPPORT_GALERA_CLUSTER_H_

#include <optional>
#include <string>
#include <vector>

namespace testenv {

// The three-node Galera cluster that scripts/test starts (with the code of scripts/galera): the
// MySQL port of each node, from MDB_TEST_GALERA_PORTS ("p1,p2,p3"), and the folder it is laid out
// in, from MDB_TEST_GALERA_DIR (node<n>/pid holds the PID of node n). nullopt when the run has no
// cluster.
struct GaleraCluster {
  std::vector<int> ports;
  std::string dir;

  // A driver connection string to node `n` (1-based), root without a password.
  std::string ConnectionString(int n, const std::string& database = "") const;
  int Pid(int n) const;
  // Kills node `n` by its PID, without a chance to leave the cluster, and waits until it is gone.
  void Kill(int n) const;
  // Starts every node that is not running (joining the others) and waits until all three are
  // synced; false when one does not come up.
  bool MakeWhole() const;
};
std::optional<GaleraCluster> TestCluster();

// Holds the cluster for one test at a time across the test processes ctest runs side by side:
// the cluster tests stop nodes.
class ClusterLock {
 public:
  explicit ClusterLock(const GaleraCluster& cluster);
  ~ClusterLock();
  ClusterLock(const ClusterLock&) = delete;
  ClusterLock& operator=(const ClusterLock&) = delete;

 private:
  int fd_;
};

}  // namespace testenv

// Skips the current test, saying why, when the run has no Galera cluster of its own.
#define MDB_REQUIRE_CLUSTER()                                                               \
  do {                                                                                      \
    if (!testenv::TestCluster())                                                            \
      GTEST_SKIP() << "no test Galera cluster (MDB_TEST_GALERA_PORTS unset): scripts/test " \
                      "starts one where the galera-4 package can be installed";             \
  } while (0)

#endif  // MDBTOMYSQL_TESTS_SUPPORT_GALERA_CLUSTER_H_
