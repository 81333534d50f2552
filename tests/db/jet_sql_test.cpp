// The statements of the Jet provider, read from their text: what each reader takes, and how each
// fault is named.
#include "db/jet_sql.h"

#include <gtest/gtest.h>

#include "db/error.h"

namespace {

std::string Fault(const std::string& text) {
  try {
    db::ParseUpdate(text);
  } catch (const db::Error& e) {
    EXPECT_EQ(e.number(), db::kProviderError);
    return e.description();
  }
  return "no error";
}

TEST(ParseUpdate, ReadsTheFlagStatementAndItsRelatives) {
  EXPECT_FALSE(db::ParseUpdate("SELECT * FROM x"));
  EXPECT_FALSE(db::ParseUpdate("UPDATED x SET a = 1"));

  std::optional<db::UpdateStatement> s =
      db::ParseUpdate("UPDATE tblSystem_Parameter_A SET ISMySQLDB = 'YES'");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->table, "tblSystem_Parameter_A");
  ASSERT_EQ(s->set.size(), 1u);
  EXPECT_EQ(s->set[0].column, "ISMySQLDB");
  EXPECT_EQ(s->set[0].value, jet::Value(std::string("YES")));
  EXPECT_FALSE(s->where);

  s = db::ParseUpdate(
      " update [Tbl X] set [a b]='it''s', c=-12,d = 2.5e1 ,e=NULL, f = \"say \"\"hi\"\"\" "
      "where [K]='O''Neil';  ");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->table, "Tbl X");
  ASSERT_EQ(s->set.size(), 5u);
  EXPECT_EQ(s->set[0].column, "a b");
  EXPECT_EQ(s->set[0].value, jet::Value(std::string("it's")));
  EXPECT_EQ(s->set[1].value, jet::Value(int64_t{-12}));
  EXPECT_EQ(s->set[2].value, jet::Value(25.0));
  EXPECT_TRUE(jet::IsNull(s->set[3].value));
  EXPECT_EQ(s->set[4].value, jet::Value(std::string("say \"hi\"")));
  ASSERT_TRUE(s->where);
  EXPECT_EQ(s->where->column, "K");
  EXPECT_EQ(s->where->value, jet::Value(std::string("O'Neil")));
  // A whole number beyond 64 bits is still a number.
  s = db::ParseUpdate("UPDATE t SET a = 99999999999999999999");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->set[0].value, jet::Value(1e20));
}

TEST(ParseUpdate, NamesEachFault) {
  EXPECT_NE(Fault("UPDATE t SET a = 'open").find("not closed"), std::string::npos);
  EXPECT_NE(Fault("UPDATE t a = 1").find("SET expected"), std::string::npos);
  EXPECT_NE(Fault("UPDATE t SET a 1").find("'=' expected after a"), std::string::npos);
  EXPECT_NE(Fault("UPDATE t SET a = ").find("a value expected"), std::string::npos);
  EXPECT_NE(Fault("UPDATE t SET a = b").find("a value expected"), std::string::npos);
  EXPECT_NE(Fault("UPDATE t SET a = 12abc").find("a value expected"), std::string::npos);
  EXPECT_NE(Fault("UPDATE [t SET a = 1").find("not closed"), std::string::npos);
  EXPECT_NE(Fault("UPDATE t SET a = 1 WHERE b > 2").find("'=' expected after b"),
            std::string::npos);
  EXPECT_NE(Fault("UPDATE t SET a = 1; DROP TABLE t").find("unexpected text"), std::string::npos);
  EXPECT_NE(Fault("UPDATE t SET a = 1 WHERE b = 2 AND c = 3").find("unexpected text"),
            std::string::npos);
}

// The description of the refusal of `read` on `text`, or "no error".
template <typename Reader>
std::string Refusal(Reader read, const std::string& text) {
  try {
    read(text);
  } catch (const db::Error& e) {
    EXPECT_EQ(e.number(), db::kProviderError);
    return e.description();
  }
  return "no error";
}

TEST(ParseSelectAllAndDropTable, TakeTheirOwnStatementsOnlyAndNameBareOrBracketedTables) {
  EXPECT_EQ(db::ParseSelectAll(" select  *\tFROM tblEmployee ; "), "tblEmployee");
  EXPECT_EQ(db::ParseSelectAll("SELECT * FROM [Tbl X]"), "Tbl X");
  EXPECT_EQ(db::ParseSelectAll("SELECT * FROM \xE8\xA1\xA8"), "\xE8\xA1\xA8") << "any script";
  EXPECT_EQ(db::ParseDropTable("drop table [tblLeave_Header];"), "tblLeave_Header");
  EXPECT_EQ(db::ParseDropTable("DROP TABLE TBLX"), "TBLX");
  // Not their statements at all: another reader's turn.
  for (const char* other : {"SELECTED * FROM t", "UPDATE t SET a = 1", "DROPPED t", ""}) {
    EXPECT_FALSE(db::ParseSelectAll(other)) << other;
    EXPECT_FALSE(db::ParseDropTable(other)) << other;
  }
}

TEST(ParseSelectAllAndDropTable, NameEachFaultWithTheStatement) {
  auto select = [](const std::string& t) { return db::ParseSelectAll(t); };
  auto drop = [](const std::string& t) { return db::ParseDropTable(t); };
  EXPECT_EQ(Refusal(select, "SELECT a FROM t"),
            "The Jet provider reads whole tables only (SELECT * FROM table): SELECT a FROM t");
  EXPECT_EQ(Refusal(select, "SELECT * t"), "Syntax error: FROM expected after SELECT * in: "
                                            "SELECT * t");
  EXPECT_EQ(Refusal(select, "SELECT * FROM tbl x;"),
            "Syntax error in FROM clause near 'tbl x': a table name with blanks or signs must "
            "be written in brackets, as [tbl x], and the Jet provider reads nothing but SELECT * "
            "FROM table.");
  EXPECT_EQ(Refusal(select, "SELECT * FROM [t] x"),
            "The Jet provider reads whole tables only; unexpected text after table 't' in: "
            "SELECT * FROM [t] x");
  EXPECT_EQ(Refusal(drop, "DROP INDEX i"),
            "The Jet provider drops tables only (DROP TABLE table): DROP INDEX i");
  EXPECT_EQ(Refusal(drop, "DROP TABLE [t"),
            "Syntax error in DROP TABLE statement: the bracket is not closed in: DROP TABLE [t");
  EXPECT_EQ(Refusal(drop, "DROP TABLE t; DROP TABLE u"),
            "Syntax error in DROP TABLE statement near 'DROP TABLE t; ': a table name with "
            "blanks or signs must be written in brackets, and nothing may follow it: DROP TABLE "
            "t; DROP TABLE u");
}

}  // namespace
