// UPDATE through the Jet provider: the flag statement on a local table of a copy of the sample.
#include <gtest/gtest.h>

#include <filesystem>

#include "db/error.h"
#include "db/jet_provider.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

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
