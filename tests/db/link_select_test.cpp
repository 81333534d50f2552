// SELECT * and UPDATE on an ODBC link, through the link's data source on the test MariaDB: the
// rows come from MySQL, typed as the link's cached definition says, and the file stays as it was.
// The tables are relinked as the system relinks them: the local table dropped, a link of the same
// name made to the lower-case MySQL table.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstdlib>
#include <filesystem>

#include "db/connection.h"
#include "db/dsn_registration.h"
#include "db/error.h"
#include "db/jet_provider.h"
#include "jet/drop_table.h"
#include "jet/odbc_link.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

TEST(LinkSelect, RelinkedTablesReadAndUpdateMySqlAndLeaveTheFileAlone) {
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
  admin.Execute("CREATE TABLE link_select.tblemployee (EmpID INT PRIMARY KEY, EmpCode VARCHAR(10), "
                "EmpName VARCHAR(50), DeptID INT, Active TINYINT(1), Salary DOUBLE, "
                "JoinDate DATETIME, Remarks LONGTEXT)");
  admin.Execute("INSERT INTO link_select.tblemployee VALUES "
                "(1, 'E0001', 'Alice Tan', 10, 1, 3500, '2019-01-07 00:00:00', 'First'), "
                "(2, 'E0002', 'Sean O''Brien', 10, 0, 4200.5, '2023-05-17 14:30:00', NULL)");
  ASSERT_TRUE(db::AddMYSQLDSNConnection("LINK_SELECT", "", "127.0.0.1", "link_select", "root", "",
                                        std::to_string(testenv::TestServer()->port)));

  const std::string path =
      testenv::CopyToScratch(testenv::FixturePath("velda_sample.mdb"), "link_select_file");
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::RemoteTable parameters;
    parameters.columns = {{"CompanyName", SQL_WVARCHAR, 100, 0, false, false},
                          {"ISMySQLDB", SQL_WVARCHAR, 3, 0, false, false},
                          {"Version", SQL_INTEGER, 10, 0, false, false}};
    jet::DropTable(db, "tblSystem_Parameter_A");
    jet::CreateOdbcLink(db, "tblSystem_Parameter_A", "DSN=LINK_SELECT;", "tblsystem_parameter_a",
                        parameters, 45000.0);
    jet::RemoteTable employees;
    employees.columns = {{"EmpID", SQL_INTEGER, 10, 0, false, false},
                         {"EmpCode", SQL_WVARCHAR, 10, 0, false, false},
                         {"EmpName", SQL_WVARCHAR, 50, 0, false, false},
                         {"DeptID", SQL_INTEGER, 10, 0, false, false},
                         {"Active", SQL_BIT, 1, 0, false, false},
                         {"Salary", SQL_DOUBLE, 15, 0, false, false},
                         {"JoinDate", SQL_TYPE_TIMESTAMP, 19, 0, false, false},
                         {"Remarks", SQL_WLONGVARCHAR, 0, 0, false, false}};
    employees.indexes = {{"PRIMARY", true, {"EmpID"}}};
    jet::DropTable(db, "tblEmployee");
    jet::CreateOdbcLink(db, "tblEmployee", "DSN=LINK_SELECT;", "tblemployee", employees, 45000.0);
  }
  const std::string before = testenv::FileBytes(path);
  auto session = db::OpenJetSession("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
                                    ";Jet OLEDB:Database Password=qarnivel;");
  EXPECT_EQ(session->Execute("UPDATE tblSystem_Parameter_A SET ISMySQLDB = 'YES'"), nullptr);
  auto flag = admin.Execute("SELECT ISMySQLDB, CompanyName FROM link_select.tblsystem_parameter_a");
  EXPECT_EQ(flag->Fields().Item(0).GetValue(), db::Value::Text("YES")) << "MySQL has the flag";
  EXPECT_EQ(flag->Fields().Item(1).GetValue(), db::Value::Text("O'Neil \\ Ltd."));

  std::unique_ptr<db::Cursor> rows = session->Execute("SELECT * FROM TBLSYSTEM_PARAMETER_A");
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
  // A backslash in a value is data; a WHERE picks rows; the column must be the link's.
  session->Execute("UPDATE tblSystem_Parameter_A SET companyname = 'a\\b' WHERE Version = 3");
  session->Execute("UPDATE tblSystem_Parameter_A SET CompanyName = 'none' WHERE Version = 4");
  rows = session->Execute("SELECT * FROM tblSystem_Parameter_A");
  ASSERT_TRUE(rows->Next(row));
  EXPECT_EQ(row[0], db::Value::Text("a\\b"));
  EXPECT_THROW(session->Execute("UPDATE tblSystem_Parameter_A SET NoSuch = 1"), db::Error);

  // The employees through their link: every MySQL row, typed as a local table's would be.
  rows = session->Execute("SELECT * FROM tblEmployee");
  const std::vector<db::FieldInfo>& fields = rows->Columns();
  ASSERT_EQ(fields.size(), 8u);
  EXPECT_EQ(fields[4].type, 11) << "Yes/No";
  EXPECT_EQ(fields[5].type, 5) << "Double";
  EXPECT_EQ(fields[6].type, 7) << "Date";
  EXPECT_EQ(fields[7].type, 203) << "Memo";
  ASSERT_TRUE(rows->Next(row));
  EXPECT_EQ(row[0], db::Value::Integer(1));
  EXPECT_EQ(row[2], db::Value::Text("Alice Tan"));
  EXPECT_EQ(row[4], db::Value::Boolean(true));
  EXPECT_EQ(row[5], db::Value::Double(3500));
  EXPECT_EQ(row[6], db::Value::Date(db::DateTime{2019, 1, 7, 0, 0, 0, 0}));
  ASSERT_TRUE(rows->Next(row));
  EXPECT_EQ(row[2], db::Value::Text("Sean O'Brien"));
  EXPECT_EQ(row[4], db::Value::Boolean(false));
  EXPECT_EQ(row[5], db::Value::Double(4200.5));
  EXPECT_TRUE(row[7].IsNull());
  EXPECT_FALSE(rows->Next(row));
  EXPECT_EQ(testenv::FileBytes(path), before) << "nothing in the file changed";
  admin.Execute("DROP DATABASE link_select");
}

}  // namespace
