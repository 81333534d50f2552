// A table loaded whole in the server's bulk mode must end exactly as one INSERT per row leaves
// it, and a load the server does not take whole must leave no trace of itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "equivalence_fixture.h"

namespace migrate {
namespace {

class BulkLoadCopyTest : public EquivalenceFixture {
 protected:
  long BulkOperations() {
    auto rs = admin_.Execute("SHOW GLOBAL STATUS LIKE 'Innodb_bulk_operations'");
    return rs->Eof() ? 0 : std::stol(rs->Fields().Item(1).GetValue().ToString());
  }

  // The rows of `table` in the run's snapshot; -1 when the table is not there.
  static long TableRows(const Run& run, const std::string& table) {
    long rows = -1;
    bool in_table = false;
    for (const std::string& line : run.snapshot) {
      if (line.rfind("table ", 0) == 0) {
        in_table = line.rfind("table " + table + " ", 0) == 0;
        if (in_table) rows = 0;
      } else if (in_table) {
        ++rows;
      }
    }
    return rows;
  }

  // A copy of the sample in which `update` has run: a file of the system's own shape that the
  // server refuses somewhere in the middle.
  static std::string EditedSample(const std::string& update) {
    const std::string path = testenv::ScratchDir("bulk_load_copy") + "/edited.mdb";
    std::filesystem::copy_file(testenv::FixturePath("velda_sample.mdb"), path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    db::OpenSourceSession(path, db::kSourcePassword);
    db::SourceSession().Execute(update);
    db::SourceSession().Close();
    return path;
  }
};

TEST_F(BulkLoadCopyTest, EveryTableGoesInWholeInTheServersBulkMode) {
  const std::string path = testenv::FixturePath("velda_sample.mdb");
  const Run reference = Migrate("bulkmode_ref", path, true);
  ASSERT_EQ(reference.result, "OK");
  const long before = BulkOperations();
  const Run bulk = Migrate("bulkmode", path, false);
  ExpectSameEndState(reference, bulk);
  EXPECT_EQ(bulk.bulk_rows, SnapshotRows(bulk));
  // The server says it loaded in bulk mode: once per table with rows, at the least (other
  // tests may load beside this one).
  EXPECT_GE(BulkOperations() - before, 8);
  // The checks are back on for whatever the session does next.
  EXPECT_EQ(bulk.checks, "1 1");
}

TEST_F(BulkLoadCopyTest, TheSessionKeepsItsOwnChecks) {
  const std::string path = testenv::FixturePath("reject_midtable.mdb");
  const Run reference = Migrate("bulkchecks_ref", path, true);
  // A session that had foreign key checks off keeps them off, after a table that went in whole
  // and after one that did not.
  session_setup_ = "SET SESSION foreign_key_checks = 0";
  const Run bulk = Migrate("bulkchecks", path, false);
  ExpectSameEndState(reference, bulk);
  EXPECT_EQ(bulk.bulk_rows, 10);
  EXPECT_EQ(bulk.checks, "1 0");
}

TEST_F(BulkLoadCopyTest, ServerThatDoesNotQualifyGetsFilesWithTheSameEndState) {
  const std::string path = testenv::FixturePath("velda_sample.mdb");
  const Run reference = Migrate("qualify_ref", path, true);
  ASSERT_EQ(reference.result, "OK");
  for (const std::string version :
       {"10.11.10-MariaDB-0+deb12u1", "11.4.4-MariaDB", "11.7.1-MariaDB", "10.6.21-MariaDB",
        "8.0.36", "8.4.3-commercial"}) {
    SCOPED_TRACE(version);
    server_version_ = version;
    const Run run = Migrate("qualify", path, false);
    ExpectSameEndState(reference, run);
    EXPECT_EQ(run.bulk_rows, 0);
    EXPECT_EQ(run.loaded_rows, SnapshotRows(run));
    EXPECT_EQ(run.checks, "1 1");
  }
}

TEST_F(BulkLoadCopyTest, TableThatHoldsRowsAlreadyIsNotLoadedInBulkMode) {
  ScriptedTable t;
  t.columns = {{"ID", db::ado_type::kInteger, 4, 118, 0, 0},
               {"Label", db::ado_type::kVarWChar, 20, 0x60, 0, 0}};
  for (int i = 1; i <= 3000; ++i)
    t.rows.push_back({db::Value::Integer(i), db::Value::Text("row " + std::to_string(i))});
  ScriptedSource* scripted = InstallScripted(t);
  before_rows_ = "INSERT INTO tblscripted (ID, Label) VALUES (7, 'there before')";
  const Run reference = Migrate("nonempty_ref", "", true, "", scripted);
  ASSERT_EQ(reference.result, "OK");
  const Run run = Migrate("nonempty", "", false, "", scripted);
  db::SourceSession().Close();
  ExpectSameEndState(reference, run);
  EXPECT_EQ(run.bulk_rows, 0);
  EXPECT_EQ(run.loaded_rows, 3000);
}

// Two keys the server's collation calls equal (accents, case, the outer spaces every text loses):
// in bulk mode the server reports the duplicate as one warning and drops many other rows with
// it. The table must still end as one INSERT per row leaves it: the rows before the refused one,
// numbered as in the file, and no later table.
TEST_F(BulkLoadCopyTest, TextKeysTheServerCallsEqualFailAsOneRowAtATime) {
  // tblSchedule_Intelligent's key is (Schedule_Code, Sequence_No); its eleventh row becomes
  // ("DÄY", "001"), beside ("DAY", "001"): two keys to the file, which tells letters with accents
  // apart, one key to the server. The table comes fifth of nine.
  // (A fixed-length text is compared with its padding.)
  const std::string path = EditedSample(
      "UPDATE tblSchedule_Intelligent SET Schedule_Code = 'D\xC3\x84Y' "
      "WHERE Schedule_Code = 'SAT       '");
  const Run reference = Migrate("collate_ref", path, true);
  ASSERT_EQ(reference.result, "FAIL");
  ASSERT_EQ(reference.messages.size(), 1u);
  EXPECT_NE(reference.messages[0].details.find("Duplicate entry '001-D\xC3\x84Y'"),
            std::string::npos)
      << reference.messages[0].details;
  const Run bulk = Migrate("collate", path, false);
  ExpectSameEndState(reference, bulk);
  // Rows 1-10 of the table stay; the four tables after it were never created.
  EXPECT_EQ(TableRows(bulk, "tblschedule_intelligent"), 10);
  for (const std::string later : {"tblsystem_parameter_a", "tblx", "w_log", "w_temp"})
    EXPECT_EQ(TableRows(bulk, later), -1) << later;
  EXPECT_EQ(bulk.bulk_rows, 10 + 40 + 3 + 20);  // every table before it went in whole
  EXPECT_EQ(bulk.checks, "1 1");

  // The same in a table of thousands of rows, the second key far behind the first; in one
  // file, and in files of which three go in before the one with the refused row.
  ScriptedTable t;
  t.columns = {{"Code", db::ado_type::kVarWChar, 20, 0x60, 0, 0},
               {"Shift", db::ado_type::kInteger, 4, 118, 0, 0}};
  for (int i = 1; i <= 5000; ++i) {
    char code[16];
    std::snprintf(code, sizeof code, "c%05d", i);
    t.rows.push_back({db::Value::Text(i == 3500 ? " C00010  " : code), db::Value::Integer(i)});
  }
  ScriptedSource* scripted = InstallScripted(t);
  scripted->catalog = {{"tblScripted", {{"PrimaryKey", true, true, {{"Code"}}}}}};
  const Run scripted_reference = Migrate("collate_ref2", "", true, "", scripted);
  EXPECT_NE(scripted_reference.result.find("Duplicate entry 'C00010'"), std::string::npos)
      << scripted_reference.result;
  for (long chunk_rows : {0L, 1000L}) {
    SCOPED_TRACE(chunk_rows);
    const Run run = Migrate("collate2", "", false, "", scripted, chunk_rows);
    ExpectSameEndState(scripted_reference, run);
    EXPECT_EQ(run.bulk_rows, 0);
    EXPECT_EQ(run.loaded_rows, chunk_rows ? 3000 : 0);
    EXPECT_EQ(long(run.snapshot.size()), 1 + 3499);
  }
  db::SourceSession().Close();
}

}  // namespace
}  // namespace migrate
