#ifndef MDBTOMYSQL_TESTS_SUPPORT_TEST_ENV_H_
#define MDBTOMYSQL_TESTS_SUPPORT_TEST_ENV_H_

#include <optional>
#include <string>

namespace testenv {

// tests/fixtures: the generated sample databases the repository carries.
std::string FixturePath(const std::string& name);

// ../shared beside the repository, or nullopt when it is absent (tests then skip).
std::optional<std::string> SharedDir();

// The private MariaDB that scripts/test starts: its TCP port and its socket, from the variables
// MDB_TEST_MYSQL_PORT and MDB_TEST_MYSQL_SOCKET; nullopt when no server was started for the run.
struct MySqlServer {
  int port = 0;
  std::string socket;
};
std::optional<MySqlServer> TestServer();
// A second server of the run, another machine as far as a client can tell (MDB_TEST_MYSQL_PORT2,
// MDB_TEST_MYSQL_SOCKET2); nullopt when the run started only one.
std::optional<MySqlServer> SecondTestServer();

// A driver connection string to the test server, root without a password, optionally with a
// database.
std::string TestServerConnectionString(const std::string& database = "");

// A fresh empty folder under the build tree (removed and remade on every call with that name), in a
// tree of this test process's own that goes when the process ends.
std::string ScratchDir(const std::string& name);

}  // namespace testenv

// Skips the current test, saying why, when the run has no MariaDB of its own.
#define MDB_REQUIRE_SERVER()                                                              \
  do {                                                                                    \
    if (!testenv::TestServer())                                                           \
      GTEST_SKIP() << "no test MariaDB (MDB_TEST_MYSQL_PORT unset); run scripts/test";     \
  } while (0)

#define MDB_REQUIRE_SHARED()                                                              \
  do {                                                                                    \
    if (!testenv::SharedDir()) GTEST_SKIP() << "../shared is absent beside the repository"; \
  } while (0)

#endif  // MDBTOMYSQL_TESTS_SUPPORT_TEST_ENV_H_
