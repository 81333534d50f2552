// Links appended and refreshed through the DAO view against tables of the test MariaDB, with the
// file's tables dropped through the ADO session first, as the relink does: the two views of one
// file must see each other's writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "db/connection.h"
#include "db/dao.h"
#include "db/dsn_registration.h"
#include "db/error.h"
#include "jet/check.h"
#include "jet/database.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

class DaoLink : public ::testing::Test {
 protected:
  void SetUp() override {
    MDB_REQUIRE_SERVER();
    const std::string dir = testenv::ScratchDir("dao_link");
    setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);
    admin_.Open(testenv::TestServerConnectionString());
    for (const char* db : {"dao_link_a", "dao_link_b"}) {
      admin_.Execute(std::string("DROP DATABASE IF EXISTS ") + db);
      admin_.Execute(std::string("CREATE DATABASE ") + db);
      admin_.Execute(std::string("CREATE TABLE ") + db +
                     ".tblemployee (MYSQL_IDD INT AUTO_INCREMENT PRIMARY KEY, "
                     "EmployeeID VARCHAR(20) NOT NULL, Name VARCHAR(100), Notes TEXT, "
                     "Hired DATETIME, Grade TINYINT UNSIGNED, Rate DOUBLE, Big BIGINT, "
                     "UNIQUE KEY EmployeeID (EmployeeID), KEY ByName (Name, Hired))");
    }
    admin_.Execute("ALTER TABLE dao_link_b.tblemployee ADD COLUMN Added VARCHAR(300)");
    const std::string port = std::to_string(testenv::TestServer()->port);
    ASSERT_TRUE(db::AddMYSQLDSNConnection("DAO_LINK_A", "", "127.0.0.1", "dao_link_a", "root", "", port));
    ASSERT_TRUE(db::AddMYSQLDSNConnection("DAO_LINK_B", "", "127.0.0.1", "dao_link_b", "root", "", port));
    path_ = testenv::CopyToScratch(testenv::FixturePath("velda_sample.mdb"), "dao_link_file");
    fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add);
  }

  void TearDown() override {
    if (admin_.State() != 0) {
      admin_.Execute("DROP DATABASE IF EXISTS dao_link_a");
      admin_.Execute("DROP DATABASE IF EXISTS dao_link_b");
    }
  }

  void ExpectCheckPasses() {
    jet::Database db = jet::Database::Open(path_, "qarnivel");
    const jet::CheckReport report = jet::CheckDatabase(db);
    std::string errors;
    for (const std::string& e : report.errors) errors += e + "\n";
    EXPECT_TRUE(report.ok()) << errors;
    EXPECT_TRUE(report.unreachable_pages.empty());
  }

  db::Connection admin_;
  std::string path_;
};

TEST_F(DaoLink, AppendAfterTheSessionDroppedTheTableThenRefreshToAnotherSource) {
  auto dao = db::dao::OpenDatabase(path_, false, false, ";pwd=qarnivel");
  ASSERT_EQ(dao->TableDefByName("tblEmployee").connect, "");  // read before the drop
  ASSERT_TRUE(dao->CanLinkTables());
  db::Connection session;
  session.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_ +
               ";Jet OLEDB:Database Password=qarnivel;");
  session.Execute("DROP TABLE tblEmployee");
  EXPECT_THROW(dao->TableDefByName("tblEmployee"), db::Error) << "the DAO view sees the drop";

  db::dao::TableDef def = db::dao::Database::CreateTableDef("tblEmployee");
  def.connect = "ODBC;DSN=DAO_LINK_A;";
  def.source_table_name = "tblemployee";
  dao->AppendTableDef(def);
  const db::dao::TableDef linked = dao->TableDefByName("TBLEMPLOYEE");
  EXPECT_EQ(linked.connect, "ODBC;DSN=DAO_LINK_A;");
  EXPECT_EQ(linked.source_table_name, "tblemployee");
  ExpectCheckPasses();
  {
    jet::Database db = jet::Database::Open(path_, "qarnivel");
    const jet::TableDef& cached = db.GetTableDef("tblEmployee");
    ASSERT_EQ(cached.columns.size(), 8u);
    EXPECT_EQ(cached.columns[0].name, "MYSQL_IDD");
    EXPECT_FALSE(cached.columns[0].updatable()) << "the remote auto-increment column";
    EXPECT_EQ(cached.columns[2].type, jet::kTypeText);
    EXPECT_EQ(cached.columns[2].max_characters(), 100);
    EXPECT_EQ(cached.columns[3].type, jet::kTypeMemo);
    EXPECT_EQ(cached.columns[5].type, jet::kTypeByte);
    EXPECT_EQ(cached.columns[7].type, jet::kTypeText) << "BIGINT";
    ASSERT_EQ(cached.indexes.size(), 3u);
    // The driver lists unique indexes by name, and Jet makes the first unique one the key by
    // which it tells rows apart.
    EXPECT_EQ(cached.indexes[0].name, "EmployeeID");
    EXPECT_TRUE(cached.indexes[0].primary_key);
    EXPECT_EQ(cached.indexes[1].name, "PRIMARY");
    EXPECT_TRUE(cached.indexes[1].unique);
    EXPECT_FALSE(cached.indexes[1].primary_key);
    EXPECT_EQ(cached.indexes[2].columns.size(), 2u);
  }
  try {
    dao->AppendTableDef(def);
    ADD_FAILURE() << "a second append of the same name";
  } catch (const db::Error& e) {
    EXPECT_EQ(e.number(), 3012);
  }
  db::dao::TableDef missing = db::dao::Database::CreateTableDef("tblMissing");
  missing.connect = "ODBC;DSN=DAO_LINK_A;";
  missing.source_table_name = "tblmissing";
  try {
    dao->AppendTableDef(missing);
    ADD_FAILURE() << "a table the source does not have";
  } catch (const db::Error& e) {
    EXPECT_EQ(e.number(), 3011);
  }

  db::dao::TableDef again = dao->TableDefByName("tblEmployee");
  again.connect = "ODBC;DSN=DAO_LINK_B;";
  dao->RefreshLink(again);
  EXPECT_EQ(dao->TableDefByName("tblEmployee").connect, "ODBC;DSN=DAO_LINK_B;");
  ExpectCheckPasses();
  {
    jet::Database db = jet::Database::Open(path_, "qarnivel");
    EXPECT_EQ(db.GetTableDef("tblEmployee").columns.size(), 9u) << "the new source's structure";
    EXPECT_EQ(db.GetTableDef("tblEmployee").columns[8].type, jet::kTypeMemo);
  }
  db::dao::TableDef local = dao->TableDefByName("Tbl_Shift");
  local.connect = "ODBC;DSN=DAO_LINK_B;";
  try {
    dao->RefreshLink(local);
    ADD_FAILURE() << "a local table is no link";
  } catch (const db::Error& e) {
    EXPECT_EQ(e.number(), db::dao::Database::kNotSupported);
  }
}

}  // namespace
