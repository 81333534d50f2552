// A damaged file that hides rows from every reader: the migration never says OK over the rows
// it could not read.
#include <gtest/gtest.h>

#include "db/connection_strings.h"
#include "db/source_session.h"
#include "jet/check_damage.h"
#include "migrate/migration_engine.h"
#include "support/test_env.h"
#include "support/test_files.h"
#include "ui/recording_screen.h"

namespace migrate {
namespace {

TEST(DamagedSource, ATableThatComesUpShortFailsWithBothCounts) {
  MDB_REQUIRE_SERVER();
  // One zeroed byte of tblEmployee's page map: the rows of that page are lost to every reader.
  std::string bytes = checktest::Velda();
  bytes[checktest::MapByte(bytes, "tblEmployee", false,
                           checktest::FirstRowPage(bytes, "tblEmployee"))] = 0;
  const std::string path = testenv::ScratchDir("damaged_source") + "/VELDA.mdb";
  testenv::WriteBytes(path, bytes);

  const std::string port = std::to_string(testenv::TestServer()->port);
  db::Connection admin;
  admin.Open(db::MySqlConnectionString({"127.0.0.1", port, "", "root", ""}));
  admin.Execute("DROP DATABASE IF EXISTS damaged_source");
  admin.Execute("CREATE DATABASE damaged_source CHARACTER SET utf8mb4");
  db::Connection mysql;
  mysql.Open(db::MySqlConnectionString({"127.0.0.1", port, "damaged_source", "root", ""}));
  db::OpenSourceSession(path, db::kSourcePassword);
  ASSERT_EQ(db::SourceSession().State(), db::kAdStateOpen);
  // Past the command's check of the file, straight into the engine.
  ui::RecordingScreen screen;
  MigrationEngine engine(db::SourceSession(), mysql, screen);
  EXPECT_EQ(engine.CreateAndInsertData_To_MYSQLTable(path), "FAIL");
  ASSERT_EQ(screen.messages().size(), 1u);
  EXPECT_EQ(screen.messages()[0].text, "Invalid table column in VELDA.mdb");
  const std::string& details = screen.messages()[0].details;
  EXPECT_NE(details.find("Table: tblEmployee"), std::string::npos) << details;
  EXPECT_NE(details.find("counts 40 rows, but "), std::string::npos) << details;
  for (const std::string& table : engine.MigratedTables()) EXPECT_NE(table, "tblEmployee");
}

}  // namespace
}  // namespace migrate
