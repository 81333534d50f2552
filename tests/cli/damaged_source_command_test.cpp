// The work commands on a damaged file: refused before anything changes anywhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/command_line.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "jet/check_damage.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

TEST(DamagedSourceCommand, MigrateAndLinkRefuseItAndChangeNothing) {
  MDB_REQUIRE_SERVER();
  std::string bytes = checktest::Velda();
  bytes[checktest::MapByte(bytes, "tblEmployee", false,
                           checktest::FirstRowPage(bytes, "tblEmployee"))] = 0;
  const std::string folder = testenv::ScratchDir("damaged_command");
  const std::string path = folder + "/VELDA.mdb";
  testenv::WriteBytes(path, bytes);
  const std::string port = std::to_string(testenv::TestServer()->port);
  db::Connection admin;
  admin.Open(db::MySqlConnectionString({"127.0.0.1", port, "", "root", ""}));
  admin.Execute("DROP DATABASE IF EXISTS damaged_command");
  admin.Execute("CREATE DATABASE damaged_command");
  admin.Execute("CREATE TABLE damaged_command.tblemployee (id INT PRIMARY KEY)");
  admin.Execute("INSERT INTO damaged_command.tblemployee VALUES (7)");
  const std::string ini = testenv::ScratchDir("damaged_command_odbc") + "/odbc.ini";
  setenv("ODBCINI", ini.c_str(), 1);

  for (const char* command : {"migrate", "link"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> args = {command, "--source", path, "--server", "127.0.0.1",
                                     "--port", port, "--database", "damaged_command"};
    if (std::string(command) == "migrate") args.push_back("--yes");
    std::ostringstream out, err;
    EXPECT_NE(cli::RunCommandLine(args, out, err), 0);
    const std::string said = out.str() + err.str();
    EXPECT_NE(said.find("is damaged: table tblEmployee"), std::string::npos) << said;
    EXPECT_NE(said.find("Compact and Repair"), std::string::npos) << said;
    EXPECT_TRUE(testenv::FileBytes(path) == bytes) << "the file was written";
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) files += entry.is_regular_file();
    EXPECT_EQ(files, 1u) << "a backup was made";
    EXPECT_FALSE(fs::exists(ini)) << "a data source was registered";
    auto rs = admin.Execute("SELECT COUNT(*), MAX(id) FROM damaged_command.tblemployee");
    EXPECT_EQ(rs->Fields().Item(0).GetValue().ToString(), "1") << "MySQL was changed";
    auto tables = admin.Execute(
        "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = 'damaged_command'");
    EXPECT_EQ(tables->Fields().Item(0).GetValue().ToString(), "1");
  }
}

}  // namespace
