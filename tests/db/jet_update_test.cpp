// UPDATE through the Jet provider: the statement's form and its faults, and the flag statement on
// a local table of a copy of the sample.
#include <gtest/gtest.h>

#include <filesystem>

#include "db/error.h"
#include "db/jet_provider.h"
#include "db/jet_sql.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

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

TEST(JetUpdate, TheFlagStatementChangesTheLocalTable) {
  const std::string path =
      testenv::CopyToScratch(testenv::FixturePath("velda_sample.mdb"), "jet_update_flag");
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  const std::string connect = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
                              ";Jet OLEDB:Database Password=qarnivel;";
  std::unique_ptr<db::Session> session = db::OpenJetSession(connect);
  EXPECT_EQ(session->Execute("UPDATE tblSystem_Parameter_A SET ISMySQLDB = 'YES'"), nullptr);
  std::unique_ptr<db::Cursor> rows = session->Execute("SELECT * FROM tblSystem_Parameter_A");
  std::vector<db::Value> row;
  ASSERT_TRUE(rows->Next(row));
  EXPECT_EQ(row.at(1), db::Value::Text("YES")) << "the same session reads the new value";

  auto fault = [&](const std::string& text) {
    try {
      session->Execute(text);
    } catch (const db::Error& e) {
      EXPECT_EQ(e.number(), db::kProviderError);
      return e.description();
    }
    return std::string("no error");
  };
  EXPECT_NE(fault("UPDATE tblNoSuch SET a = 1").find("cannot find the input table or query 'tblNoSuch'"),
            std::string::npos);
  EXPECT_NE(fault("UPDATE tblSystem_Parameter_A SET ISMySQLDB = 'TOO LONG'").find("do not fit"),
            std::string::npos)
      << "the engine's refusal reaches the caller";
  // A file nobody may write stays as it is, even for an account that could write it anyway.
  const std::string before = testenv::FileBytes(path);
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(fault("UPDATE tblSystem_Parameter_A SET ISMySQLDB = 'NO'"),
            "Cannot update. Database or object is read-only.");
  EXPECT_EQ(testenv::FileBytes(path), before);
  session.reset();
  // A new session on the file sees it too.
  session = db::OpenJetSession(connect);
  rows = session->Execute("SELECT * FROM tblSystem_Parameter_A");
  ASSERT_TRUE(rows->Next(row));
  EXPECT_EQ(row.at(1), db::Value::Text("YES"));
  EXPECT_EQ(row.at(0), db::Value::Text("O'Neil Tooling Ltd."));
}

}  // namespace
