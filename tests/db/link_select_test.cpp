// SELECT * and UPDATE on an ODBC link, through the link's data source on the test MariaDB: the
// rows come from MySQL, typed as the link's cached definition says, and the file stays as it was.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstdlib>
#include <filesystem>

#include "db/connection.h"
#include "db/dsn_registration.h"
#include "db/error.h"
#include "db/jet_provider.h"
#include "jet/odbc_link.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

TEST(LinkSelect, ReadsAndUpdatesTheMySqlTableAndLeavesTheFileAlone) {
  MDB_REQUIRE_SERVER();
  const std::string dir = testenv::ScratchDir("link_select");
  setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);
  db::Connection admin;
  admin.Open(testenv::TestServerConnectionString());
  admin.Execute("DROP DATABASE IF EXISTS link_select");
  admin.Execute("CREATE DATABASE link_select");
  admin.Execute("CREATE TABLE link_select.tblsystem_parameter_a (CompanyName VARCHAR(100), "
                "ISMySQLDB VARCHAR(3), Version INT)");
  admin.Execute("INSERT INTO link_select.tblsystem_parameter_a VALUES ('O''Neil \\\\ Ltd.', 'NO', 3)");
  ASSERT_TRUE(db::AddMYSQLDSNConnection("LINK_SELECT", "", "127.0.0.1", "link_select", "root", "",
                                        std::to_string(testenv::TestServer()->port)));

  const std::string path = testenv::CopyToScratch(testenv::FixturePath("velda_sample.mdb"), "link_select_file");
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::RemoteTable remote;
    remote.columns = {{"CompanyName", SQL_WVARCHAR, 100, 0, false, false},
                      {"ISMySQLDB", SQL_WVARCHAR, 3, 0, false, false},
                      {"Version", SQL_INTEGER, 10, 0, false, false}};
    jet::CreateOdbcLink(db, "tblLinked_Parameter", "DSN=LINK_SELECT;", "tblsystem_parameter_a",
                        remote, 45000.0);
  }
  const std::string before = testenv::FileBytes(path);
  auto session = db::OpenJetSession("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
                                    ";Jet OLEDB:Database Password=qarnivel;");
  session->Execute("UPDATE tblLinked_Parameter SET ismysqldb = 'YES' WHERE Version = 3");
  std::unique_ptr<db::Cursor> rows = session->Execute("SELECT * FROM TBLLINKED_PARAMETER");
  ASSERT_EQ(rows->Columns().size(), 3u);
  EXPECT_EQ(rows->Columns()[0].name, "CompanyName");
  EXPECT_EQ(rows->Columns()[0].type, 202) << "Text, as the cached definition says";
  EXPECT_EQ(rows->Columns()[2].type, 3) << "Long";
  std::vector<db::Value> row;
  ASSERT_TRUE(rows->Next(row));
  EXPECT_EQ(row[0], db::Value::Text("O'Neil \\ Ltd."));
  EXPECT_EQ(row[1], db::Value::Text("YES"));
  EXPECT_EQ(row[2], db::Value::Integer(3));
  EXPECT_FALSE(rows->Next(row));
  // A backslash in a value is data, and the column must exist in the cached definition.
  session->Execute("UPDATE tblLinked_Parameter SET CompanyName = 'a\\b'");
  rows = session->Execute("SELECT * FROM tblLinked_Parameter");
  ASSERT_TRUE(rows->Next(row));
  EXPECT_EQ(row[0], db::Value::Text("a\\b"));
  EXPECT_THROW(session->Execute("UPDATE tblLinked_Parameter SET NoSuch = 1"), db::Error);
  EXPECT_EQ(testenv::FileBytes(path), before) << "nothing in the file changed";
  admin.Execute("DROP DATABASE link_select");
}

}  // namespace
