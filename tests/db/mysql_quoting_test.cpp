#include "db/mysql_quoting.h"

#include <gtest/gtest.h>

namespace {

TEST(MySqlQuoting, NoNameOrTextCanEndItsQuotesEarly) {
  EXPECT_EQ(db::QuoteMySqlName("tblEmployee"), "`tblEmployee`");
  EXPECT_EQ(db::QuoteMySqlName("a`b"), "`a``b`");
  EXPECT_EQ(db::QuoteMySqlText("O'Brien"), "'O''Brien'");
  // Without NO_BACKSLASH_ESCAPES a backslash would escape the closing quote.
  EXPECT_EQ(db::QuoteMySqlText("C:\\"), "'C:\\'");
  EXPECT_EQ(db::QuoteMySqlTextAndBackslashes("C:\\"), "'C:\\\\'");
  EXPECT_EQ(db::QuoteMySqlTextAndBackslashes("x' OR '1'='1"), "'x'' OR ''1''=''1'");
  EXPECT_EQ(db::QuoteMySqlText(""), "''");
}

}  // namespace
