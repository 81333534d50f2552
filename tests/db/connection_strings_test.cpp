#include "db/connection_strings.h"

#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/connection_string_syntax.h"
#include "db/error.h"
#include "support/test_env.h"

namespace db {
namespace {

TEST(ConnectionStrings, PlainSettingsGiveTheSystemsStringsByteForByte) {
  EXPECT_EQ(MySqlConnectionString({"  localhost ", " 3306", "VELDA_MYSQL  ", " root", ""}),
            "Driver={MySQL ODBC 5.3 UNICODE Driver};Server=localhost;Port=3306;"
            "Database=VELDA_MYSQL;User=root;Password=;Option=3;");
  EXPECT_EQ(MySqlConnectionString({"db.example", "3307", "ORV_MYSQL", "admin", "p=w rd"}),
            "Driver={MySQL ODBC 5.3 UNICODE Driver};Server=db.example;Port=3307;"
            "Database=ORV_MYSQL;User=admin;Password=p=w rd;Option=3;");
  EXPECT_EQ(DataSourceConnectionString(" VELDA_MYSQL"),
            "Provider=MSDASQL.1;Persist Security Info=False;Data Source= VELDA_MYSQL");
}

TEST(ConnectionStrings, ASettingThatCouldSplitTheStringIsBraced) {
  const std::string text =
      MySqlConnectionString({"localhost", "3306", "d", "root", "S3cret;Database=mysql"});
  EXPECT_NE(text.find(";Password={S3cret;Database=mysql};Option=3;"), std::string::npos) << text;
  // Read back, the password is one value and no second Database keyword appeared.
  const auto pairs = ParseConnectionString(text);
  EXPECT_EQ(FindAttribute(pairs, "password"), "S3cret;Database=mysql");
  EXPECT_EQ(FindAttribute(pairs, "Database"), "d");
  EXPECT_EQ(pairs.size(), 7u);
  EXPECT_EQ(QuoteOdbcValue("a}b"), "{a}}b}");
  EXPECT_EQ(FindAttribute(ParseConnectionString("Password={a}}b};X=1"), "Password"), "a}b");
}

TEST(ConnectionStrings, ParsesOleDbQuotedValuesAndSkipsJunk) {
  const auto pairs = ParseConnectionString(
      "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"C:\\a;b\"\"c.mdb\";junk;"
      "Jet OLEDB:Database Password= qarnivel;");
  EXPECT_EQ(FindAttribute(pairs, "data source"), "C:\\a;b\"c.mdb");
  EXPECT_EQ(FindAttribute(pairs, "Jet OLEDB:Database Password"), "qarnivel");
  EXPECT_EQ(pairs.size(), 3u);
}

// Passwords that need braces really reach the server unchanged.
TEST(ConnectionStrings, BracedPasswordsConnect) {
  MDB_REQUIRE_SERVER();
  Connection admin;
  const std::string port = std::to_string(testenv::TestServer()->port);
  admin.Open(MySqlConnectionString({"localhost", port, "", "root", ""}));
  const std::vector<std::string> passwords = {"S3cret;x", "a{b", "a}b", "{ab}", "x;}{;y"};
  for (size_t i = 0; i < passwords.size(); ++i) {
    const std::string user = "braced" + std::to_string(i);
    admin.Execute("DROP USER IF EXISTS '" + user + "'@'localhost'");
    admin.Execute("CREATE USER '" + user + "'@'localhost' IDENTIFIED BY '" + passwords[i] + "'");
    Connection c;
    EXPECT_NO_THROW(c.Open(MySqlConnectionString({"localhost", port, "", user, passwords[i]})))
        << passwords[i];
    EXPECT_EQ(c.State(), kAdStateOpen) << passwords[i];
    admin.Execute("DROP USER '" + user + "'@'localhost'");
  }
}

}  // namespace
}  // namespace db
