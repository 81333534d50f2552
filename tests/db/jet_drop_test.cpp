// DROP TABLE through the Jet provider on the source session: the statement forms it accepts, the
// refusals it raises, and the file it leaves (always a copy of the sample, never the fixture).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "db/connection.h"
#include "db/error.h"
#include "db/jet_provider.h"
#include "db/source_session.h"
#include "jet/check.h"
#include "jet/database.h"
#include "support/test_env.h"
#include "support/test_files.h"

namespace db {
namespace {

namespace fs = std::filesystem;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SampleCopy(const std::string& scratch) {
  const std::string copy = testenv::ScratchDir(scratch) + "/VELDA.mdb";
  fs::copy_file(testenv::FixturePath("velda_sample.mdb"), copy);
  return copy;
}

// The error a statement raises, as "number: description"; "" when it runs.
std::string Refusal(Connection& connection, const std::string& statement) {
  try {
    connection.Execute(statement);
  } catch (const Error& e) {
    return std::to_string(e.number()) + ": " + e.description();
  }
  return "";
}

TEST(JetDropTable, SourceSessionDropsBareAndBracketedNames) {
  const std::string path = SampleCopy("provider_drop");
  OpenSourceSession(path, kSourcePassword);
  Connection& source = SourceSession();
  ASSERT_EQ(source.State(), 1);
  EXPECT_EQ(Refusal(source, "DROP TABLE W_Temp"), "");
  EXPECT_EQ(Refusal(source, "  drop table [tblSchedule_Intelligent] ; "), "");
  // The same session no longer finds them, for SELECT nor for the catalogue.
  EXPECT_NE(Refusal(source, "SELECT * FROM W_Temp").find("cannot find the input table"),
            std::string::npos);
  EXPECT_NE(Refusal(source, "DROP TABLE W_Temp").find("Table 'W_Temp' does not exist."),
            std::string::npos);
  EXPECT_EQ(Refusal(source, "SELECT * FROM tblEmployee"), "");
  source.Close();

  jet::Database db = jet::Database::Open(path, kSourcePassword);
  EXPECT_EQ(db.FindTable("W_Temp"), nullptr);
  EXPECT_EQ(db.FindTable("tblSchedule_Intelligent"), nullptr);
  EXPECT_NE(db.FindTable("tblEmployee"), nullptr);
  jet::CheckReport report = jet::CheckDatabase(db);
  EXPECT_TRUE(report.ok()) << (report.errors.empty() ? "" : report.errors.front());
}

TEST(JetDropTable, RefusalsNameTheTableOrTheStatementAndWriteNothing) {
  const std::string path = SampleCopy("provider_drop_refused");
  const std::string before = FileBytes(path);
  OpenSourceSession(path, kSourcePassword);
  Connection& source = SourceSession();
  ASSERT_EQ(source.State(), 1);
  const std::string no_error = std::to_string(kProviderError) + ": ";
  struct Case {
    const char* statement;
    const char* must_mention;
  };
  const Case cases[] = {
      {"DROP TABLE tblNoSuchTable", "Table 'tblNoSuchTable' does not exist."},
      {"DROP TABLE [tbl x]", "Table 'tbl x' does not exist."},
      {"DROP TABLE MSysObjects", "'MSysObjects' is a system table"},
      {"DROP TABLE tbl x", "must be written in brackets"},
      {"DROP TABLE [W_Temp", "bracket is not closed"},
      {"DROP TABLE", "table name expected"},
      {"DROP TABLE []", "empty table name"},
      {"DROP INDEX PrimaryKey ON tblEmployee", "drops tables only"},
      {"DROP TABLE W_Temp CASCADE", "nothing may follow"},
  };
  for (const Case& c : cases) {
    const std::string refusal = Refusal(source, c.statement);
    EXPECT_EQ(refusal.rfind(no_error, 0), 0u) << c.statement << " -> " << refusal;
    EXPECT_NE(refusal.find(c.must_mention), std::string::npos) << c.statement << " -> " << refusal;
  }
  // A statement that merely starts with the letters is no DROP.
  EXPECT_NE(Refusal(source, "DROPPED TABLE x").find("does not run this statement"),
            std::string::npos);

  // Access has the file open: the lock file beside it refuses the write.
  const std::string ldb = fs::path(path).replace_extension(".ldb").string();
  {
    testenv::HeldLock access(ldb);
    const std::string locked = Refusal(source, "DROP TABLE W_Temp");
    EXPECT_NE(locked.find("the database is open in Access"), std::string::npos) << locked;
  }
  fs::remove(ldb);
  source.Close();
  EXPECT_TRUE(FileBytes(path) == before);
}

}  // namespace
}  // namespace db
