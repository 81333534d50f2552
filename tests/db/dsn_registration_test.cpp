#include "db/dsn_registration.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <odbcinst.h>

#include "db/connection.h"
#include "db/connection_strings.h"
#include "support/test_env.h"

namespace db {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Points the installer at a user data source file of the test's own, and back afterwards.
class PrivateDsnFile {
 public:
  explicit PrivateDsnFile(const std::string& name) {
    if (const char* old = std::getenv("ODBCINI")) old_ = old;
    path_ = testenv::ScratchDir(name) + "/odbc.ini";
    setenv("ODBCINI", path_.c_str(), 1);
  }
  ~PrivateDsnFile() {
    if (old_) {
      setenv("ODBCINI", old_->c_str(), 1);
    } else {
      unsetenv("ODBCINI");
    }
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::optional<std::string> old_;
};

TEST(DsnRegistration, AttributeListIsTheSystemsByteForByte) {
  std::string list = DsnAttributeList("VELDA_MYSQL", "localhost", "VELDA_MYSQL", "root", "", "3306");
  for (char& c : list)
    if (c == '\0') c = '|';
  EXPECT_EQ(list,
            "DSN=VELDA_MYSQL|Uid=root|pwd=|Server=localhost|Port=3306|Database=VELDA_MYSQL|"
            "User=root|Password=|Option=3||");
  // Values stand as given: no trimming, no quoting.
  list = DsnAttributeList(" D ", " h ", " D ", "u;x", "p w", "33 ");
  for (char& c : list)
    if (c == '\0') c = '|';
  EXPECT_EQ(list, "DSN= D |Uid=u;x|pwd=p w|Server= h |Port=33 |Database= D |User=u;x|"
                  "Password=p w|Option=3||");
}

TEST(DsnRegistration, RegisteredSourceOpensAndListsTables) {
  MDB_REQUIRE_SERVER();
  PrivateDsnFile file("dsn_opens");
  const std::string port = std::to_string(testenv::TestServer()->port);
  Connection admin;
  admin.Open(MySqlConnectionString({"localhost", port, "", "root", ""}));
  admin.Execute("CREATE DATABASE IF NOT EXISTS DSN_TEST_DB");
  admin.Execute("CREATE TABLE IF NOT EXISTS DSN_TEST_DB.tblone (a INT)");

  // A first registration with other settings is replaced by the second.
  ASSERT_TRUE(AddMYSQLDSNConnection("DSN_TEST_DB", "", "localhost", "DSN_TEST_DB", "nobody", "x",
                                    "1"));
  ASSERT_TRUE(AddMYSQLDSNConnection("DSN_TEST_DB", "", "localhost", "DSN_TEST_DB", "root", "",
                                    port));
  const std::string ini = ReadFile(file.path());
  EXPECT_NE(ini.find("[DSN_TEST_DB]"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("nobody"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("[DSN_TEST_DB]"), ini.rfind("[DSN_TEST_DB]")) << ini;
  EXPECT_NE(ini.find("Driver"), std::string::npos) << ini;

  struct stat st {};
  ASSERT_EQ(stat(file.path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the file holds a password";

  Connection c;
  c.SetCursorLocation(kAdUseClient);
  c.Open(DataSourceConnectionString("DSN_TEST_DB"), "", "", kAdConnectUnspecified);
  auto rs = c.Execute(
      "SELECT table_name FROM information_schema.tables WHERE table_schema = 'DSN_TEST_DB'");
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->Fields().Item("table_name").GetValue().AsText(), "tblone");
  admin.Execute("DROP DATABASE DSN_TEST_DB");
}

TEST(DsnRegistration, AnExistingFileKeepsItsModeAndOtherSections) {
  PrivateDsnFile file("dsn_mode");
  {
    std::ofstream out(file.path());
    out << "[Other]\nDriver=Something\n";
  }
  chmod(file.path().c_str(), 0640);
  ASSERT_TRUE(AddMYSQLDSNConnection("MODE_DB", "", "localhost", "MODE_DB", "root", "", "3306"));
  struct stat st {};
  ASSERT_EQ(stat(file.path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  const std::string ini = ReadFile(file.path());
  EXPECT_NE(ini.find("[Other]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("[MODE_DB]"), std::string::npos) << ini;
}

TEST(DsnRegistration, OuterSpacesOfValuesAreLostByTheIniFile) {
  PrivateDsnFile file("dsn_spaces");
  ASSERT_TRUE(AddMYSQLDSNConnection("SPACES_DB", "", " localhost ", "SPACES_DB", "root", "", "3306"));
  // The profile calls write "Server =  localhost "; the driver manager's reader trims it again.
  char value[64] = {};
  SQLGetPrivateProfileString("SPACES_DB", "Server", "", value, sizeof value, "odbc.ini");
  EXPECT_STREQ(value, "localhost");
}

TEST(DsnRegistration, ReportsFalseWhenNothingCouldBeRegistered) {
  PrivateDsnFile file("dsn_false");
  setenv("ODBCINI", "/nonexistent-folder/odbc.ini", 1);
  EXPECT_FALSE(AddMYSQLDSNConnection("FALSE_DB", "", "localhost", "FALSE_DB", "root", "", "3306"));
  setenv("ODBCINI", file.path().c_str(), 1);
  EXPECT_FALSE(AddMYSQLDSNConnection("", "", "localhost", "X", "root", "", "3306"));
}

}  // namespace
}  // namespace db
