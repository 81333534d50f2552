// The ODBC side of the data access services, against the test run's own MariaDB.
#include <gtest/gtest.h>

#include <clocale>

#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/error.h"
#include "support/test_env.h"

namespace db {
namespace {

MySqlSettings TestSettings(const std::string& database = "") {
  const auto server = testenv::TestServer();
  return {"localhost", std::to_string(server ? server->port : 3306), database, "root", ""};
}

// Opens a connection with `text` and returns the error it raises, or fails the test.
Error OpenError(const std::string& text) {
  Connection c;
  try {
    c.Open(text);
  } catch (const Error& e) {
    EXPECT_EQ(c.State(), kAdStateClosed);
    return e;
  }
  ADD_FAILURE() << "opened: " << text;
  return Error(0, "");
}

void Exec(Connection& c, const std::string& sql) { c.Execute(sql); }

TEST(OdbcConnection, TheSystemsOwnStringOpensAndCloses) {
  MDB_REQUIRE_SERVER();
  Connection c;
  c.SetCursorLocation(kAdUseClient);
  const std::string text = MySqlConnectionString(TestSettings("mysql"));
  EXPECT_EQ(text.rfind("Driver={MySQL ODBC 5.3 UNICODE Driver};Server=localhost;Port=", 0), 0u);
  c.Open(text, "", "", kAdConnectUnspecified);
  EXPECT_EQ(c.State(), kAdStateOpen);
  EXPECT_EQ(c.ConnectionString(), text);
  EXPECT_THROW(c.Open(text), Error);  // already open
  c.Close();
  EXPECT_EQ(c.State(), kAdStateClosed);
  try {
    c.Execute("SELECT 1");
    FAIL() << "executed on a closed connection";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 3709);
  }
}

TEST(OdbcConnection, OpenErrorsCarryTheDriversText) {
  MDB_REQUIRE_SERVER();
  MySqlSettings s = TestSettings();
  s.password = "wrong";
  Error denied = OpenError(MySqlConnectionString(s));
  EXPECT_EQ(denied.number(), kProviderError);
  EXPECT_NE(denied.description().find("Access denied for user 'root'@'localhost' (using password: YES)"),
            std::string::npos)
      << denied.description();

  s = TestSettings("no_such_database_here");
  Error unknown = OpenError(MySqlConnectionString(s));
  EXPECT_EQ(unknown.number(), kProviderError);
  EXPECT_NE(unknown.description().find("Unknown database 'no_such_database_here'"), std::string::npos)
      << unknown.description();

  s = TestSettings();
  s.port = "1";  // nothing listens there
  Error no_server = OpenError(MySqlConnectionString(s));
  EXPECT_NE(no_server.description().find("Can't connect to server on 'localhost'"), std::string::npos)
      << no_server.description();

  Error no_dsn = OpenError(DataSourceConnectionString("no_such_data_source"));
  EXPECT_EQ(no_dsn.number(), kProviderError);
  EXPECT_NE(no_dsn.description().find("Data source name not found and no default driver specified"),
            std::string::npos)
      << no_dsn.description();

  Error no_driver = OpenError("Driver={No Such ODBC Driver};Server=localhost;");
  EXPECT_NE(no_driver.description().find("Can't open lib 'No Such ODBC Driver'"), std::string::npos)
      << no_driver.description();

  Error no_provider = OpenError("Provider=NoSuch.Provider;Data Source=x");
  EXPECT_EQ(no_provider.number(), 3706);
}

TEST(OdbcConnection, RefusedStatementRaisesTheProviderNumberWithServerText) {
  MDB_REQUIRE_SERVER();
  Connection c;
  c.Open(MySqlConnectionString(TestSettings()));
  Exec(c, "CREATE DATABASE IF NOT EXISTS odbc_refused");
  Exec(c, "DROP TABLE IF EXISTS odbc_refused.t");
  Exec(c, "CREATE TABLE odbc_refused.t (a INT)");
  Exec(c, "ALTER TABLE odbc_refused.t ADD INDEX index_t_a (a)");
  try {
    Exec(c, "ALTER TABLE odbc_refused.t ADD INDEX index_t_a (a)");
    FAIL() << "the second index of the same name was accepted";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), -2147467259);
    EXPECT_NE(e.description().find("Duplicate key name 'index_t_a'"), std::string::npos)
        << e.description();
    EXPECT_EQ(e.description().rfind("[ma-", 0), 0u) << e.description();
  }
  Exec(c, "DROP DATABASE odbc_refused");
}

TEST(OdbcConnection, ServerTextBeyondAsciiArrivesWholeAndNothingAfterIt) {
  MDB_REQUIRE_SERVER();
  Connection c;
  c.Open(MySqlConnectionString(TestSettings()));
  try {
    // The driver counts such a text in bytes of UTF-8, more than the UTF-16 it hands over.
    Exec(c, "SELECT * FROM mysql.`t\xC3\xA4" "ble_\xE6\x97\xA5\xE6\x9C\xAC`");
    FAIL() << "a table that is not there was read";
  } catch (const Error& e) {
    const std::string& text = e.description();
    EXPECT_EQ(text.find('\0'), std::string::npos) << text;
    const std::string end = "t\xC3\xA4" "ble_\xE6\x97\xA5\xE6\x9C\xAC' doesn't exist";
    ASSERT_GE(text.size(), end.size()) << text;
    EXPECT_EQ(text.substr(text.size() - end.size()), end) << text;
  }
}

TEST(OdbcConnection, SelectGivesTypedFieldsFoundByNameInAnyCase) {
  MDB_REQUIRE_SERVER();
  Connection c;
  c.Open(MySqlConnectionString(TestSettings()));
  Exec(c, "CREATE DATABASE IF NOT EXISTS odbc_typed");
  Exec(c, "DROP TABLE IF EXISTS odbc_typed.t");
  Exec(c,
       "CREATE TABLE odbc_typed.t (i INT, d DOUBLE, dt DATETIME, b TINYINT(1), v VARCHAR(20), "
       "m LONGTEXT, n INT, bl BLOB, dec1 DECIMAL(10,2))");
  Exec(c,
       "INSERT INTO odbc_typed.t VALUES (-7, 2.5, '2023-05-17 14:30:05', 1, 'x', REPEAT('ab', "
       "20000), NULL, X'00FF10', -12.34)");
  auto rs = c.Execute("SELECT * FROM odbc_typed.t");
  ASSERT_FALSE(rs->Eof());
  EXPECT_FALSE(rs->Bof());
  const Fields& f = rs->Fields();
  ASSERT_EQ(f.Count(), 9);
  EXPECT_EQ(f.Item(0).Type(), ado_type::kInteger);
  EXPECT_EQ(f.Item("I").GetValue(), Value::Integer(-7));
  EXPECT_EQ(f.Item("d").Type(), ado_type::kDouble);
  EXPECT_EQ(f.Item("d").GetValue(), Value::Double(2.5));
  EXPECT_EQ(f.Item("DT").GetValue().ToString(), "2023-05-17 14:30:05");
  EXPECT_EQ(f.Item("v").Type(), ado_type::kVarWChar);
  EXPECT_EQ(f.Item("v").GetValue(), Value::Text("x"));
  EXPECT_EQ(f.Item("m").GetValue().AsText().size(), 40000u);  // read in pieces
  EXPECT_TRUE(f.Item("n").GetValue().IsNull());
  EXPECT_EQ(f.Item("bl").GetValue(), Value::Binary({0x00, 0xFF, 0x10}));
  EXPECT_EQ(f.Item("dec1").GetValue().ToString(), "-12.34");
  EXPECT_THROW(f.Item("no_such_field"), Error);
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_THROW(f.Item(0).GetValue(), Error);
  EXPECT_THROW(rs->MoveNext(), Error);

  auto tables = c.Execute(
      "SELECT table_name FROM information_schema.tables WHERE table_schema = 'odbc_typed'");
  ASSERT_FALSE(tables->Eof());
  EXPECT_EQ(tables->Fields().Item("TABLE_NAME").GetValue().AsText(), "t");
  auto empty = c.Execute("SELECT * FROM odbc_typed.t WHERE 1 = 0");
  EXPECT_TRUE(empty->Bof());
  EXPECT_TRUE(empty->Eof());
  Exec(c, "DROP DATABASE odbc_typed");
}

TEST(OdbcConnection, TextRoundTripsExactlyWhateverTheLocale) {
  MDB_REQUIRE_SERVER();
  // The test programs run under the C locale unless told otherwise; make sure of it.
  ASSERT_EQ(std::string(setlocale(LC_ALL, nullptr)), "C");
  Connection c;
  c.Open(MySqlConnectionString(TestSettings()));
  Exec(c, "CREATE DATABASE IF NOT EXISTS odbc_text CHARACTER SET utf8mb4");
  Exec(c, "DROP TABLE IF EXISTS odbc_text.t");
  Exec(c, "CREATE TABLE odbc_text.t (id INT, s VARCHAR(50)) CHARACTER SET utf8mb4");
  const std::vector<std::string> texts = {"José", "王小明", "clock \xF0\x9F\x95\x92 in",
                                          "Zoë Ünal-Straße"};
  for (size_t i = 0; i < texts.size(); ++i)
    Exec(c, "INSERT INTO odbc_text.t VALUES (" + std::to_string(i) + ", '" + texts[i] + "')");
  auto rs = c.Execute("SELECT s, CHAR_LENGTH(s) AS n FROM odbc_text.t ORDER BY id");
  for (const std::string& expected : texts) {
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Fields().Item("s").GetValue().AsText(), expected);
    rs->MoveNext();
  }
  // The server saw characters, not bytes: the clock is one character.
  auto len = c.Execute("SELECT CHAR_LENGTH(s) FROM odbc_text.t WHERE id = 2");
  EXPECT_EQ(len->Fields().Item(0).GetValue(), Value::Integer(10));
  Exec(c, "DROP DATABASE odbc_text");
}

}  // namespace
}  // namespace db
