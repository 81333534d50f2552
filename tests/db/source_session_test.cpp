#include "db/connection_strings.h"
#include "db/source_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "db/connection_string_syntax.h"
#include "support/test_env.h"

namespace db {
namespace {

namespace fs = std::filesystem;

TEST(SourceConnectionString, IsTheSystemsTextForOrdinaryPaths) {
  EXPECT_EQ(SourceConnectionString("C:\\VELDA\\VELDA.mdb", "qarnivel"),
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\VELDA\\VELDA.mdb;"
            "Jet OLEDB:Database Password= qarnivel;");
  // Outer spaces of the typed path stay in the text.
  EXPECT_EQ(SourceConnectionString("  /data/v.mdb ", "qarnivel"),
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=  /data/v.mdb ;"
            "Jet OLEDB:Database Password= qarnivel;");
}

TEST(SourceConnectionString, QuotesWhatWouldOtherwiseSplitOrChangeTheValues) {
  const std::string path = "/srv/a;Jet OLEDB:Database Password=x/\"q\".mdb";
  const std::string text = SourceConnectionString(path, "qarnivel");
  EXPECT_EQ(text,
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"/srv/a;Jet OLEDB:Database "
            "Password=x/\"\"q\"\".mdb\";Jet OLEDB:Database Password= qarnivel;");
  auto pairs = ParseConnectionString(text);
  EXPECT_EQ(FindAttribute(pairs, "Data Source"), path);
  EXPECT_EQ(FindAttribute(pairs, "Jet OLEDB:Database Password"), "qarnivel");
  EXPECT_EQ(pairs.size(), 3u);

  // A path that starts with a brace would otherwise be read as a braced value.
  pairs = ParseConnectionString(SourceConnectionString("{x}.mdb", "qarnivel"));
  EXPECT_EQ(FindAttribute(pairs, "Data Source"), "{x}.mdb");

  // The blank the system writes after "Password=" is not part of the password; a password's own
  // blanks are.
  pairs = ParseConnectionString(SourceConnectionString("v.mdb", " pw; x "));
  EXPECT_EQ(FindAttribute(pairs, "Jet OLEDB:Database Password"), " pw; x ");
}

std::string CopyTo(const std::string& from, const fs::path& to) {
  fs::create_directories(to.parent_path());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  return to.string();
}

int StateAfterOpening(const std::string& path, const std::string& password = kSourcePassword) {
  OpenSourceSession(path, password);
  EXPECT_EQ(SourceSession().CursorLocation(), kAdUseClient) << path;
  EXPECT_EQ(SourceSession().ConnectionString(), SourceConnectionString(path, password)) << path;
  return SourceSession().State();
}

TEST(OpenSourceSession, OpensJetFilesWithTheRightPasswordOrNone) {
  EXPECT_EQ(StateAfterOpening(testenv::FixturePath("velda_sample.mdb")), kAdStateOpen);
  EXPECT_EQ(StateAfterOpening(testenv::FixturePath("no_password.mdb")), kAdStateOpen);
  // The session reads: what the migration's first SELECT needs.
  auto rs = SourceSession().Execute("SELECT * FROM tblSystem_Parameter_A");
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->Fields().Item("ISMySQLDB").GetValue().AsText(), "NO");
}

TEST(OpenSourceSession, LeavesTheSessionClosedAndRaisesNothingForFilesItCannotOpen) {
  const fs::path dir = testenv::ScratchDir("open_source_session");
  const std::string velda = testenv::FixturePath("velda_sample.mdb");
  {
    std::ifstream in(velda, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(dir / "truncated.mdb", std::ios::binary).write(bytes.data(), 4096 * 3 + 100);
    std::ofstream(dir / "header_only.mdb", std::ios::binary).write(bytes.data(), 4096);
    std::ofstream(dir / "empty.mdb", std::ios::binary);
  }
  fs::create_directories(dir / "folder.mdb");
  std::vector<std::pair<std::string, std::string>> cases = {
      {testenv::FixturePath("other_password.mdb"), kSourcePassword},
      {velda, "QARNIVEL"},
      {velda, ""},
      {testenv::FixturePath("not_a_database.mdb"), kSourcePassword},
      {(dir / "truncated.mdb").string(), kSourcePassword},
      {(dir / "header_only.mdb").string(), kSourcePassword},
      {(dir / "empty.mdb").string(), kSourcePassword},
      {(dir / "missing.mdb").string(), kSourcePassword},
      {(dir / "folder.mdb").string(), kSourcePassword},
      {"", kSourcePassword},
  };
  if (auto shared = testenv::SharedDir()) {
    cases.emplace_back(*shared + "/fixtures/real/linkerTestV2007.accdb", kSourcePassword);
    cases.emplace_back(*shared + "/fixtures/real/odbcLinkerTestV2007.accdb", kSourcePassword);
  }
  // A caller may hold the session across a reopening (ListPK reopens a closed one mid-migration).
  const Connection& held = SourceSession();
  for (const auto& [path, password] : cases) {
    // An open session first, so that a failure visibly replaces it.
    OpenSourceSession(velda, kSourcePassword);
    ASSERT_EQ(held.State(), kAdStateOpen);
    EXPECT_NO_THROW(OpenSourceSession(path, password)) << path;
    EXPECT_EQ(held.State(), kAdStateClosed) << path << " / " << password;
    EXPECT_EQ(&held, &SourceSession());
  }
}

TEST(OpenSourceSession, OpensPathsWithSemicolonsQuotesAndBlanksInFolderNames) {
  const fs::path dir = testenv::ScratchDir("source_paths");
  const std::string velda = testenv::FixturePath("velda_sample.mdb");
  for (const char* folder : {"Payroll; 2024", "say \"hi\"", "Pass=word", "{braced}", "a b"}) {
    const std::string path = CopyTo(velda, dir / folder / "VELDA.mdb");
    EXPECT_EQ(StateAfterOpening(path), kAdStateOpen) << path;
  }
}

}  // namespace
}  // namespace db
