// The batched copy must leave exactly what one INSERT per row leaves, failures included.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "equivalence_fixture.h"

namespace migrate {
namespace {

class BulkEquivalence : public EquivalenceFixture {};

TEST_F(BulkEquivalence, SampleDatabase) {
  const std::string path = testenv::FixturePath("velda_sample.mdb");
  const Run reference = Migrate("bulk_ref", path, true);
  ASSERT_EQ(reference.result, "OK");
  // Each table whole in bulk mode, then, on a server without it, in files.
  for (const std::string version : {"", kWithoutBulkMode}) {
    SCOPED_TRACE(version);
    server_version_ = version;
    const Run bulk = Migrate("bulk_fast", path, false);
    ExpectSameEndState(reference, bulk);
    // Every table of the sample goes through LOAD DATA; none was taken back and replayed.
    long rows = 0;
    for (const std::string& line : bulk.snapshot) rows += line.rfind("table ", 0) != 0;
    EXPECT_EQ(bulk.loaded_rows, rows);
    EXPECT_EQ(bulk.bulk_rows, version.empty() ? rows : 0);
  }
}

TEST_F(BulkEquivalence, ServerWithoutLocalInfileGetsInserts) {
  const std::string path = testenv::FixturePath("velda_sample.mdb");
  const Run reference = Migrate("bulk_ref", path, true);
  ASSERT_EQ(reference.result, "OK");
  // Other tests running beside this one may meet the switch off too; they then send INSERTs,
  // which leave the same end state.
  // A table of several files, with a refused row in the last: the refusal comes while the next
  // file is already written.
  ScriptedTable t;
  t.columns = {{"ID", db::ado_type::kInteger, 4, 118, 0, 0},
               {"Label", db::ado_type::kVarWChar, 20, 0x60, 0, 0}};
  for (int i = 1; i <= 1400; ++i)
    t.rows.push_back({db::Value::Integer(i),
                      db::Value::Text(i == 1300 ? std::string(30, 'x') : "row " + std::to_string(i))});
  admin_.Execute("SET GLOBAL local_infile = 0");
  Run bulk, scripted_bulk, scripted_reference;
  try {
    bulk = Migrate("bulk_fast", path, false);
    ScriptedSource* scripted = InstallScripted(t);
    scripted_reference = Migrate("bulk_ref2", "", true, "", scripted);
    scripted_bulk = Migrate("bulk_fast2", "", false, "", scripted, 500);
    db::SourceSession().Close();
  } catch (...) {
    admin_.Execute("SET GLOBAL local_infile = 1");
    throw;
  }
  admin_.Execute("SET GLOBAL local_infile = 1");
  ExpectSameEndState(reference, bulk);
  EXPECT_EQ(bulk.loaded_rows, 0);
  EXPECT_EQ(bulk.bulk_rows, 0);
  EXPECT_EQ(bulk.checks, "1 1");
  EXPECT_EQ(scripted_reference.result.rfind("FAIL: ", 0), 0u) << scripted_reference.result;
  ExpectSameEndState(scripted_reference, scripted_bulk);
  EXPECT_NE(std::find(scripted_bulk.snapshot.begin(), scripted_bulk.snapshot.end(),
                      "table tblscripted next 1300"),
            scripted_bulk.snapshot.end());
}

// While it lives, no file of this process may grow past a few bytes: as in a full temporary
// folder, every write of rows to a file fails (EFBIG, the signal ignored).
class FullDisk {
 public:
  FullDisk() {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = saved_;
    tiny.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
  }
  ~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_);
  }

 private:
  struct rlimit saved_ {};
  sighandler_t previous_;
};

TEST_F(BulkEquivalence, AFullTemporaryFolderGetsInserts) {
  // Files are for a server without bulk mode: a whole table in bulk mode needs none.
  server_version_ = kWithoutBulkMode;
  // Enough rows for several files, the first of which the folder refuses part way.
  ScriptedTable t;
  t.columns = {{"ID", db::ado_type::kInteger, 4, 118, 0, 0},
               {"Label", db::ado_type::kVarWChar, 40, 0x60, 0, 0}};
  for (int i = 1; i <= 25000; ++i) {
    t.rows.push_back({db::Value::Integer(i), db::Value::Text("payroll row " + std::to_string(i))});
  }
  ScriptedSource* scripted = InstallScripted(t);
  const Run reference = Migrate("full_ref", "", false, "", scripted);
  ASSERT_EQ(reference.result, "OK");
  ASSERT_EQ(reference.loaded_rows, 25000) << "the reference goes through LOAD DATA";
  Run full;
  {
    FullDisk disk;
    full = Migrate("full_tmp", "", false, "", scripted);
  }
  db::SourceSession().Close();
  ExpectSameEndState(reference, full);
  EXPECT_EQ(full.loaded_rows, 0);
  const std::string path = testenv::FixturePath("velda_sample.mdb");
  const Run sample_reference = Migrate("full_ref2", path, false);
  Run sample;
  {
    FullDisk disk;
    sample = Migrate("full_tmp2", path, false);
  }
  ExpectSameEndState(sample_reference, sample);
  EXPECT_EQ(sample.loaded_rows, 0);
  // In bulk mode the rows go through a pipe, which a full folder does not stop.
  server_version_.clear();
  {
    FullDisk disk;
    sample = Migrate("full_tmp3", path, false);
  }
  ExpectSameEndState(sample_reference, sample);
  EXPECT_EQ(sample.bulk_rows, SnapshotRows(sample));
}

TEST_F(BulkEquivalence, TrickyTextsArriveAsTheyWereTyped) {
  const std::vector<std::string> texts = {
      "tab\there", "line\nbreak", "cr\rand crlf\r\n", "back\\slash\\", "\\N", "\\", "NULL",
      "quote ' and \" and ''", std::string("nul\0inside", 10), "emoji \xF0\x9F\x98\x80 \xC3\xBC" "ber \xE4\xB8\xAD",
      "  leading and trailing  ", "", "   ", "\ttab first, space last ", "ctrl-z \x1A", "\\t not a tab",
      "ends in a backslash\\"};
  ScriptedTable table;
  table.columns = {{"ID", db::ado_type::kInteger, 4, 118, 0, 0},
                   {"Label", db::ado_type::kVarWChar, 60, 0x60, 0, 0},
                   {"Note", db::ado_type::kLongVarWChar, 0, 0xE0, 0, 0},
                   {"Flag", db::ado_type::kBoolean, 2, 0x10, 0, 0},
                   {"Amount", db::ado_type::kDouble, 8, 0x70, 0, 0},
                   {"Stamp", db::ado_type::kDate, 8, 0x70, 0, 0}};
  for (size_t i = 0; i < texts.size(); ++i) {
    const int id = int(i) + 1;
    table.rows.push_back(
        {db::Value::Integer(id), db::Value::Text(texts[i]), db::Value::Text(texts[texts.size() - 1 - i]),
         i % 3 == 0 ? db::Value::Null() : db::Value::Boolean(i % 2 == 0),
         i % 4 == 0 ? db::Value::Null() : db::Value::Double(i % 2 ? 0.1 * id : -1.5e300 / id),
         i % 5 == 0 ? db::Value::Null()
                    : db::Value::Date({2024, 2, 29, 23, 59, 59, i % 2 ? 999'000'000 : 0})});
  }
  table.rows.push_back({db::Value::Null(), db::Value::Null(), db::Value::Null(), db::Value::Null(),
                        db::Value::Null(), db::Value::Null()});
  ScriptedSource* scripted = InstallScripted(table);
  const Run reference = Migrate("bulk_ref", "", true, "", scripted);
  ASSERT_EQ(reference.result, "OK");
  const Run bulk = Migrate("bulk_fast", "", false, "", scripted);
  ExpectSameEndState(reference, bulk);
  EXPECT_EQ(bulk.loaded_rows, long(table.rows.size()));
  EXPECT_EQ(bulk.bulk_rows, long(table.rows.size()));
  server_version_ = kWithoutBulkMode;
  const Run files = Migrate("bulk_files", "", false, "", scripted);
  ExpectSameEndState(reference, files);
  EXPECT_EQ(files.loaded_rows, long(table.rows.size()));
  EXPECT_EQ(files.bulk_rows, 0);

  // The ways agree; this says they agree on the right values: the texts trimmed of outer
  // spaces, byte for byte (in hex: reading a text back through the driver stops at a NUL).
  for (const Run* run : {&reference, &bulk, &files}) {
    auto rs = admin_.Execute("SELECT ID, HEX(Label), Label FROM `" + run->database +
                             "`.tblscripted ORDER BY MYSQL_IDD");
    for (size_t i = 0; i < texts.size(); ++i, rs->MoveNext()) {
      ASSERT_FALSE(rs->Eof());
      const std::string& t = texts[i];
      const size_t b = t.find_first_not_of(' ');
      const std::string trimmed = b == std::string::npos ? "" : t.substr(b, t.find_last_not_of(' ') - b + 1);
      std::string hex;
      for (unsigned char c : trimmed) hex += "0123456789ABCDEF"[c >> 4], hex += "0123456789ABCDEF"[c & 15];
      EXPECT_EQ(rs->Fields().Item(1).GetValue().ToString(), hex) << run->database << " row " << i + 1;
    }
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Fields().Item(0).GetValue().ToString(), "0");  // Null number
    EXPECT_EQ(rs->Fields().Item(2).GetValue().ToString(), "");   // Null text
  }
  db::SourceSession().Close();
}

TEST_F(BulkEquivalence, RefusedRowInTheMiddleOfATable) {
  const std::string path = testenv::FixturePath("reject_midtable.mdb");
  for (const std::string engine : {"InnoDB", "MyISAM"}) {
    const Run reference = Migrate("bulk_ref", path, true, engine);
    ASSERT_EQ(reference.result, "FAIL") << engine;
    const Run bulk = Migrate("bulk_fast", path, false, engine);
    ExpectSameEndState(reference, bulk);
    // The first table went in whole in bulk mode (InnoDB); the second did not.
    EXPECT_EQ(bulk.bulk_rows, engine == "InnoDB" ? 10 : 0) << engine;
    // The refused row is row 600 of its table: 599 rows stay, numbered as in the file.
    EXPECT_NE(std::find(bulk.snapshot.begin(), bulk.snapshot.end(), "table tblleave_header next 600"),
              bulk.snapshot.end())
        << engine;
  }
}

TEST_F(BulkEquivalence, RefusedRowInTheMiddleOfABatchWithASurrogateKey) {
  for (const std::string engine : {"InnoDB", "MyISAM"}) {
    ScriptedTable t;
    db::FieldInfo id{"ID", db::ado_type::kInteger, 4, 118, 0, 0};
    db::FieldInfo label{"Label", db::ado_type::kVarWChar, 20, 0x60, 0, 0};
    t.columns = {id, label};
    for (int i = 1; i <= 2600; ++i)
      t.rows.push_back({db::Value::Integer(i),
                        db::Value::Text(i == 1700 ? std::string(30, 'x') : "row " + std::to_string(i))});
    ScriptedSource* scripted = InstallScripted(t);
    const Run reference = Migrate("bulk_ref", "", true, engine, scripted);
    EXPECT_EQ(reference.result.rfind("FAIL: ", 0), 0u) << reference.result;
    // One file for the whole table, then files of 500 rows: the refused row in the fourth, after
    // three committed files.
    for (long chunk_rows : {0L, 500L}) {
      const Run bulk = Migrate("bulk_fast", "", false, engine, scripted, chunk_rows);
      ExpectSameEndState(reference, bulk);
      EXPECT_NE(std::find(bulk.snapshot.begin(), bulk.snapshot.end(), "1699|row 1699|1699|"),
                bulk.snapshot.end())
          << engine;
      EXPECT_EQ(bulk.loaded_rows, engine == "InnoDB" && chunk_rows ? 1500 : 0) << engine;
    }
    db::SourceSession().Close();
  }
}

TEST_F(BulkEquivalence, UnreadableValueKeepsTheRowsBeforeIt) {
  for (const std::string engine : {"InnoDB", "MyISAM"}) {
    ScriptedTable t;
    t.columns = {{"ID", db::ado_type::kInteger, 4, 118, 0, 0},
                 {"Rate", db::ado_type::kDouble, 8, 0x70, 0, 0}};
    for (int i = 1; i <= 1200; ++i)
      t.rows.push_back({db::Value::Integer(i),
                        db::Value::Double(i == 1100 ? std::numeric_limits<double>::quiet_NaN() : i / 8.0)});
    ScriptedSource* scripted = InstallScripted(t);
    const Run reference = Migrate("bulk_ref", "", true, engine, scripted);
    EXPECT_EQ(reference.result.rfind("FAIL: the value nan", 0), 0u) << reference.result;
    for (long chunk_rows : {0L, 500L}) {
      const Run bulk = Migrate("bulk_fast", "", false, engine, scripted, chunk_rows);
      ExpectSameEndState(reference, bulk);
      EXPECT_NE(std::find(bulk.snapshot.begin(), bulk.snapshot.end(), "table tblscripted next 1100"),
                bulk.snapshot.end())
          << engine;
    }
    db::SourceSession().Close();
  }
}

}  // namespace
}  // namespace migrate
