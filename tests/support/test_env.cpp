#include "support/test_env.h"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace testenv {

std::string FixturePath(const std::string& name) { return std::string(MDB_FIXTURE_DIR) + "/" + name; }

std::optional<std::string> SharedDir() {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::weakly_canonical(MDB_SHARED_DIR, ec);
  if (ec || !std::filesystem::is_directory(p / "fixtures", ec)) return std::nullopt;
  return p.string();
}

namespace {

std::optional<MySqlServer> ServerFrom(const char* port_variable, const char* socket_variable) {
  const char* port = std::getenv(port_variable);
  if (!port || !*port) return std::nullopt;
  MySqlServer s;
  s.port = std::atoi(port);
  if (const char* socket = std::getenv(socket_variable)) s.socket = socket;
  return s;
}

}  // namespace

std::optional<MySqlServer> TestServer() {
  return ServerFrom("MDB_TEST_MYSQL_PORT", "MDB_TEST_MYSQL_SOCKET");
}

std::optional<MySqlServer> SecondTestServer() {
  return ServerFrom("MDB_TEST_MYSQL_PORT2", "MDB_TEST_MYSQL_SOCKET2");
}

std::string TestServerConnectionString(const std::string& database) {
  const auto server = TestServer();
  return "Driver={MySQL ODBC 5.3 UNICODE Driver};Server=localhost;Port=" +
         std::to_string(server ? server->port : 3306) + ";Database=" + database +
         ";User=root;Password=;Option=3;";
}

namespace {

// Each test process gets a scratch tree of its own, removed when it ends: ctest runs test cases
// as processes at once, and two of them emptying one folder would pull files from under each
// other.
const std::filesystem::path& ProcessScratch() {
  static const std::filesystem::path root =
      std::filesystem::path(MDB_BINARY_DIR) / "scratch" / std::to_string(::getpid());
  static const bool registered = std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }) == 0;
  (void)registered;
  return root;
}

}  // namespace

std::string ScratchDir(const std::string& name) {
  const std::filesystem::path p = ProcessScratch() / name;
  std::filesystem::remove_all(p);
  std::filesystem::create_directories(p);
  return p.string();
}

}  // namespace testenv
