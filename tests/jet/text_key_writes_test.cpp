// The writes that key texts: UPDATEs of indexed text columns and link names, with hundreds of
// texts mixing expansions (ß, æ, œ, ǅ, ﬃ), hyphens and apostrophes, accents and combining marks,
// Cyrillic, Greek and Japanese. Each leaves check clean and mdb-reader reading the new values; a
// text or name the General order cannot key, or a name Access takes for one already there, is
// refused before anything is written.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/utf16.h"
#include "jet/check.h"
#include "jet/drop_table.h"
#include "jet/odbc_link.h"
#include "jet/table_cursor.h"
#include "jet/text.h"
#include "jet/update_rows.h"
#include "support/test_env.h"
#include "support/test_files.h"
#include "write_checks.h"

namespace {

using writetest::Joined;

constexpr double kNow = 46000.5;

// Pieces of at most 7 UTF-16 units; with a number of 3 digits they fill EmpCode's 10.
const std::vector<std::string>& Pieces() {
  static const std::vector<std::string> pieces = {
      "Nuß-Nou",    "Soße",      "groß-mä", "Süß'",    "Æble",   "œuvre", "Þór-æ",  "O'Brien",
      "Pâté",       "Røgede",    "Côte-",   "Guaraná", "Мир",    "Ωμέγα", "ϰαὶ τό", "漢字仮名",
      "ヴァイ",     "じり文",    "ǅemal",   "ﬃx-ß",    "Ǽ-ǽ",    "ß'ß",   "Ĳssel",  "Åæç",
      "Cafe\u0301", "e\u0300-ß", "Ärger",   "ÆØÅ",     "straße", "MÜßIG", "Œ'œ",    "İı-ß"};
  return pieces;
}

std::string Code(size_t n) {
  std::string digits = std::to_string(n % 1000);
  return Pieces()[n % Pieces().size()] + std::string(3 - digits.size(), '0') + digits;
}

void ExpectClean(const std::string& path, const std::string& when) {
  jet::Database db = jet::Database::Open(path, "qarnivel");
  const jet::CheckReport report = jet::CheckDatabase(db);
  EXPECT_TRUE(report.ok()) << when << "\n" << Joined(report.errors);
  EXPECT_TRUE(report.unreachable_rows.empty()) << when << "\n" << Joined(report.unreachable_rows);
}

// EmpID -> EmpCode as mdb-reader reads them; empty when it is not installed.
std::map<int64_t, std::string> CodesByReader(const std::string& path) {
  std::map<int64_t, std::string> out;
  if (testenv::MdbReaderDir().empty()) return out;
  int status = 0;
  std::istringstream lines(testenv::RunMdbReader(path, "qarnivel", R"(
for (const row of reader.getTable("tblEmployee").getData()) console.log(row.EmpID + "\t" + row.EmpCode);)",
                                                 &status));
  EXPECT_EQ(status, 0);
  for (std::string line; std::getline(lines, line);) {
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) out[std::stoll(line.substr(0, tab))] = line.substr(tab + 1);
  }
  return out;
}

// The EmpID of every employee.
std::vector<int64_t> EmployeeIds(const std::string& path) {
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::TableCursor rows = db.OpenTable("tblEmployee");
  const int position = rows.def().ColumnIndex("EmpID");
  std::vector<int64_t> ids;
  while (rows.Next()) ids.push_back(std::get<int64_t>(rows[position]));
  return ids;
}

// 320 texts: eight rounds over the 40 employees, each row set on its own.
TEST(TextKeyWrites, UpdatesOfAnIndexedTextColumnStayExact) {
  const std::string path = writetest::WritableVelda("text_key_updates");
  const std::vector<int64_t> ids = EmployeeIds(path);
  ASSERT_EQ(ids.size(), 40u);
  size_t n = 0;
  for (int round = 0; round < 8; ++round) {
    std::map<int64_t, std::string> expected;
    {
      jet::Database db = jet::Database::Open(path, "qarnivel");
      for (int64_t id : ids) {
        const std::string code = Code(n++);
        ASSERT_LE(base::Utf8ToUtf16(code).size(), 10u) << code;
        ASSERT_EQ(
            jet::UpdateRows(db, "tblEmployee", {{"EmpCode", code}}, jet::ColumnValue{"EmpID", id}),
            1u)
            << code;
        expected[id] = code;
      }
    }
    ExpectClean(path, "after round " + std::to_string(round));
    const std::map<int64_t, std::string> read = CodesByReader(path);
    if (!read.empty()) {
      EXPECT_EQ(read, expected) << "round " << round;
    }
  }
}

TEST(TextKeyWrites, RefusesATextWithoutAKeyBeforeWriting) {
  const std::string path = writetest::WritableVelda("text_key_refused");
  const std::string original = testenv::FileBytes(path);
  jet::Database db = jet::Database::Open(path, "qarnivel");
  EXPECT_THROW(jet::UpdateRows(db, "tblEmployee", {{"EmpCode", std::string("a\U0001F600")}},
                               jet::ColumnValue{"EmpID", int64_t{1}}),
               jet::Error);
  EXPECT_EQ(testenv::FileBytes(path), original);
  // Unique in the index: "STRASSE" and "straße" are one key.
  jet::UpdateRows(db, "tblEmployee", {{"EmpCode", std::string("straße")}},
                  jet::ColumnValue{"EmpID", int64_t{1}});
  const std::string updated = testenv::FileBytes(path);
  EXPECT_NE(updated, original);
  EXPECT_THROW(jet::UpdateRows(db, "tblEmployee", {{"EmpCode", std::string("STRASSE")}},
                               jet::ColumnValue{"EmpID", int64_t{2}}),
               jet::Error);
  EXPECT_EQ(testenv::FileBytes(path), updated);
}

jet::RemoteTable OneColumn() {
  jet::RemoteTable t;
  t.columns = {{"ID", 4, 10, 0, false, true}, {"Name", -9, 50, 0, false, false}};
  t.indexes = {{"PRIMARY", true, {"ID"}}};
  return t;
}

// 64 links named with such characters; found by every reader, then dropped again.
TEST(TextKeyWrites, LinksNamedWithSuchCharacters) {
  const std::string path = writetest::WritableVelda("text_key_links");
  std::vector<std::string> names;
  for (size_t i = 0; i < 2 * Pieces().size(); ++i) names.push_back("lnk " + Code(i * 37));
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    for (const std::string& name : names)
      jet::CreateOdbcLink(db, name, "DSN=VELDA_MYSQL;", "remote", OneColumn(), kNow);
  }
  ExpectClean(path, "with the links");
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    for (const std::string& name : names) EXPECT_NE(db.FindTable(name), nullptr) << name;
  }
  if (!testenv::MdbReaderDir().empty()) {
    int status = 0;
    const std::string out = testenv::RunMdbReader(path, "qarnivel", R"(
for (const row of reader.getTable("MSysObjects").getData()) if (row.Type === 4) console.log(row.Name);)",
                                                  &status);
    EXPECT_EQ(status, 0) << out;
    for (const std::string& name : names)
      EXPECT_NE(out.find(name + "\n"), std::string::npos) << name;
  }
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    for (const std::string& name : names) jet::DropTable(db, name);
  }
  ExpectClean(path, "after dropping them");
}

TEST(TextKeyWrites, RefusesALinkNameWithoutAKeyOrTakenByAccentsAndExpansions) {
  const std::string path = writetest::WritableVelda("text_key_link_refused");
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::CreateOdbcLink(db, "Straße", "DSN=X;", "x", OneColumn(), kNow);
  const std::string linked = testenv::FileBytes(path);
  for (const char* name : {"STRASSE", "strasse", "tbl\U0001F600"}) {
    EXPECT_THROW(jet::CreateOdbcLink(db, name, "DSN=X;", "x", OneColumn(), kNow), jet::Error)
        << name;
    EXPECT_EQ(testenv::FileBytes(path), linked) << name;
  }
  // Accents make other names: these are not taken.
  jet::CreateOdbcLink(db, "Straßé", "DSN=X;", "x", OneColumn(), kNow);
  ExpectClean(path, "after the links");
}

}  // namespace
