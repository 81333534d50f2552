#include "verify/paged_rows.h"

#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/providers.h"
#include "support/test_env.h"

namespace verify {
namespace {

TEST(PagedRows, EveryRowOnceInTheOrderOfTheKeysBytesAcrossPages) {
  MDB_REQUIRE_SERVER();
  {
    db::Connection admin;
    admin.Open(testenv::TestServerConnectionString());
    admin.Execute("DROP DATABASE IF EXISTS verify_pages");
    admin.Execute("CREATE DATABASE verify_pages CHARACTER SET utf8mb4");
    admin.Execute("CREATE TABLE verify_pages.t (code varchar(10), n int, v varchar(10), "
                  "PRIMARY KEY (code, n))");
    // The collation would put 'a' and 'B' the other way round and 'a' beside 'a '.
    admin.Execute("INSERT INTO verify_pages.t VALUES ('a', 2, 'x'), ('B', 1, 'y'), ('a', 1, 'z'), "
                  "('ab', 1, NULL), (CONCAT('a', CHAR(9)), 1, 'tab'), ('\xC3\xA9', 1, 'e'), "
                  "('a\\'q', 1, 'quote')");
  }
  std::unique_ptr<db::Session> mysql =
      db::OpenSession(testenv::TestServerConnectionString("verify_pages"));
  PagedRows rows(*mysql, "SELECT `code`, `n`, `v` FROM `t`",
                 {{"CAST(`code` AS BINARY)", 0, KeyLiteral::kBytes}, {"`n`", 1, KeyLiteral::kNumber}},
                 /*page_rows=*/2);
  std::vector<Row> read;
  Row row;
  while (rows.Next(&row)) read.push_back(row);
  EXPECT_EQ(read, (std::vector<Row>{{"B", "1", "y"},
                                    {"a", "1", "z"},
                                    {"a", "2", "x"},
                                    {"a\\t", "1", "tab"},
                                    {"a'q", "1", "quote"},
                                    {"ab", "1", "\\N"},
                                    {"\xC3\xA9", "1", "e"}}));
  const Row last = {"a\\t", "1", ""};
  EXPECT_EQ(rows.PageStatement(&last),
            "SELECT `code`, `n`, `v` FROM `t` WHERE (CAST(`code` AS BINARY), `n`) > (X'6109', 1) "
            "ORDER BY CAST(`code` AS BINARY), `n` LIMIT 2");
}

}  // namespace
}  // namespace verify
