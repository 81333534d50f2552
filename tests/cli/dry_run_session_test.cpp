#include "cli/dry_run_session.h"

#include <gtest/gtest.h>

#include <memory>

#include "db/error.h"

namespace {

// A server that answers reads and fails the test for anything else it is sent.
class ReadOnlyServer : public db::Session {
 public:
  std::vector<std::string> received;
  std::unique_ptr<db::Cursor> Execute(const std::string& text) override {
    received.push_back(text);
    return nullptr;
  }
};

TEST(DryRunSession, SendsOnlyReadsAndCountsRowsPerTable) {
  auto server = std::make_unique<ReadOnlyServer>();
  ReadOnlyServer& seen = *server;
  cli::DryRunSession dry(std::move(server));
  for (const char* s : {"SET SESSION sql_mode = 'x'", "SELECT @@max_allowed_packet",
                        "DROP table `tbla`", "CREATE table tbla (`A` int DEFAULT 0 NULL)",
                        "ALTER TABLE tbla ADD MYSQL_IDD int NOT NULL AUTO_INCREMENT PRIMARY KEY",
                        "INSERT INTO tbla (`A`) VALUES (1)", "INSERT INTO tbla (`A`) VALUES (2)",
                        "DROP table `tblb`", "CREATE table tblb (`B` longtext)",
                        "SELECT * FROM t INTO OUTFILE '/tmp/x'", "  show tables"})
    dry.Execute(s);
  EXPECT_EQ(seen.received,
            (std::vector<std::string>{"SELECT @@max_allowed_packet", "  show tables"}));
  EXPECT_EQ(dry.Lines(),
            (std::vector<std::string>{
                "SET SESSION sql_mode = 'x'", "DROP table `tbla`",
                "CREATE table tbla (`A` int DEFAULT 0 NULL)",
                "ALTER TABLE tbla ADD MYSQL_IDD int NOT NULL AUTO_INCREMENT PRIMARY KEY",
                "-- 2 rows into tbla", "DROP table `tblb`", "CREATE table tblb (`B` longtext)",
                "SELECT * FROM t INTO OUTFILE '/tmp/x'", "-- 0 rows into tblb"}));
}

TEST(DryRunSession, TellsTheRowStatementsOfEveryCopyFromThoseThatShapeTables) {
  for (const char* s : {"INSERT INTO t (`a`) VALUES (1), (2)", "LOAD DATA LOCAL INFILE '/tmp/f' INTO TABLE t",
                        "START TRANSACTION", "COMMIT", "ROLLBACK",
                        "SET @mdbtomysql_rows = ROW_COUNT(), @mdbtomysql_warnings = @@warning_count",
                        "ALTER TABLE t AUTO_INCREMENT = 1"})
    EXPECT_TRUE(cli::IsRowStatement(s)) << s;
  for (const char* s : {"ALTER TABLE t ADD MYSQL_IDD int NOT NULL AUTO_INCREMENT PRIMARY KEY",
                        "ALTER TABLE t ADD CONSTRAINT t PRIMARY KEY (`a`);", "DROP table `t`",
                        "CREATE INDEX index_t_a ON t (`a`)", "SET SESSION sql_mode = ''"})
    EXPECT_FALSE(cli::IsRowStatement(s)) << s;
  EXPECT_TRUE(cli::IsReadStatement("SELECT COUNT(*) FROM t"));
  EXPECT_FALSE(cli::IsReadStatement("select a into @x from t"));
  EXPECT_FALSE(cli::IsReadStatement("DELETE FROM t"));
}

}  // namespace
