// Row values of every Jet 4 type, read from the sample database and Access-written files.
#include "jet/row.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/date_time.h"
#include "support/test_env.h"

namespace {

using jet::Value;

// All rows of `table`, keyed by the integer in its first column.
std::map<int64_t, std::vector<Value>> RowsById(jet::Database& db, const std::string& table) {
  std::map<int64_t, std::vector<Value>> rows;
  jet::TableCursor cursor = db.OpenTable(table);
  while (cursor.Next()) rows[std::get<int64_t>(cursor[0])] = cursor.values();
  return rows;
}

std::string DateText(const Value& v) {
  jet::DateTime t;
  EXPECT_TRUE(jet::JetDateToDateTime(std::get<jet::Date>(v).days, &t, true));
  return jet::FormatDateTime(t);
}

TEST(SampleRows, EmployeeEdgeValues) {
  jet::Database db = jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), "qarnivel");
  auto rows = RowsById(db, "tblEmployee");
  ASSERT_EQ(rows.size(), 40u);
  EXPECT_EQ(rows.count(30), 0u) << "deleted rows are skipped";
  EXPECT_EQ(rows.count(35), 0u);
  EXPECT_EQ(rows.rbegin()->first, 42);

  // Columns: EmpID EmpCode EmpName DeptID Active Salary JoinDate Remarks.
  EXPECT_EQ(rows[2][2], Value(std::string("Sean O'Brien")));
  EXPECT_EQ(DateText(rows[2][6]), "2023-05-17 14:30:00");
  EXPECT_EQ(rows[3][2], Value(std::string("Ann ''Two'' Quotes")));
  EXPECT_EQ(rows[5][2], Value(std::string("   Leading Spaces")));
  EXPECT_EQ(rows[6][2], Value(std::string("Trailing Spaces   ")));
  EXPECT_EQ(rows[6][7], Value(std::string(" ")));
  EXPECT_EQ(rows[7][7], Value(std::string("C:\\Temp\\new\\file.txt")));
  EXPECT_EQ(rows[8][2], Value(std::string("José Müller")));
  EXPECT_EQ(rows[9][2], Value(std::string("Zoë Ünal-Straße")));
  EXPECT_EQ(rows[10][2], Value(std::string("王小明")));

  // Empty strings are values, not NULLs; Yes/No is never NULL.
  EXPECT_EQ(rows[11][2], Value(std::string()));
  EXPECT_EQ(rows[11][7], Value(std::string()));
  for (int column : {1, 2, 3, 5, 6, 7}) EXPECT_TRUE(jet::IsNull(rows[12][column])) << column;
  EXPECT_EQ(rows[12][4], Value(false));
  EXPECT_EQ(rows[1][4], Value(true));

  EXPECT_EQ(rows[13][3], Value(int64_t{-1}));
  EXPECT_EQ(rows[13][5], Value(-1234.56));

  // A 40,000-character memo over a chain of long-value pages.
  const std::string& memo = std::get<std::string>(rows[14][7]);
  EXPECT_EQ(memo.rfind("Line 1: ", 0), 0u);
  EXPECT_NE(memo.find("\r\nLine 2: "), std::string::npos);
  EXPECT_NE(memo.find("Überstunden"), std::string::npos);
  EXPECT_NE(memo.find("café"), std::string::npos);
  size_t characters = 0;
  for (unsigned char c : memo) characters += (c & 0xC0) != 0x80;
  EXPECT_EQ(characters, 40000u);

  EXPECT_EQ(DateText(rows[15][6]), "1899-12-30 08:45:00");
  EXPECT_LT(std::get<jet::Date>(rows[16][6]).days, 0);
  EXPECT_EQ(DateText(rows[16][6]), "1850-07-04 06:00:00");
  EXPECT_EQ(rows[16][5], Value(1e15));
  EXPECT_EQ(rows[17][5], Value(0.1));
  EXPECT_EQ(rows[18][7], Value(std::string("line1\r\nline2\ttabbed")));
  EXPECT_EQ(rows[21][2].index(), Value(std::string()).index());
  EXPECT_EQ(std::get<std::string>(rows[21][2]).size(), 50u);
  EXPECT_EQ(rows[22][1], Value(std::string("e0022")));
  EXPECT_EQ(DateText(rows[23][6]), "2099-12-31 23:59:59");
  EXPECT_TRUE(jet::IsNull(rows[24][5]));
  EXPECT_TRUE(jet::IsNull(rows[24][7]));
  EXPECT_TRUE(jet::IsNull(rows[25][6]));
}

TEST(SampleRows, FixedLengthTextKeepsItsPadding) {
  jet::Database db = jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), "qarnivel");
  jet::TableCursor rows = db.OpenTable("tblSchedule_Intelligent");
  int count = 0, null_types = 0;
  bool saw_day = false;
  while (rows.Next()) {
    ++count;
    if (jet::IsNull(rows[0])) {
      ++null_types;
    } else {
      EXPECT_EQ(std::get<std::string>(rows[0]).size(), 2u);
    }
    EXPECT_EQ(std::get<std::string>(rows[1]).size(), 10u);
    EXPECT_EQ(std::get<std::string>(rows[2]).size(), 3u);
    saw_day |= rows[1] == Value(std::string("DAY       "));
  }
  EXPECT_EQ(count, 12);
  EXPECT_EQ(null_types, 1);
  EXPECT_TRUE(saw_day);
}

TEST(SampleRows, CurrencySingleAndRowCounts) {
  jet::Database db =
      jet::Database::Open(testenv::FixturePath("unsupported_with_rows.mdb"), "qarnivel");
  auto rows = RowsById(db, "tblRate");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][1], Value(jet::Currency{125000}));
  EXPECT_EQ(rows[1][2], Value(1.5f));
  EXPECT_EQ(rows[2][1], Value(jet::Currency{-32500}));
  EXPECT_EQ(rows[2][2], Value(0.25f));
  EXPECT_TRUE(jet::IsNull(rows[3][1]));
  EXPECT_TRUE(jet::IsNull(rows[3][2]));

  jet::Database sample = jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), "qarnivel");
  for (const jet::CatalogueEntry& t : sample.Tables()) {
    size_t count = 0;
    jet::TableCursor cursor = sample.OpenTable(t.name);
    while (cursor.Next()) ++count;
    EXPECT_EQ(count, sample.GetTableDef(t.name).row_count) << t.name;
  }
}

TEST(AccessRows, MovedRowsAreReadWhereTheyNowLieInTheirOriginalOrder) {
  MDB_REQUIRE_SHARED();
  jet::Database db =
      jet::Database::Open(*testenv::SharedDir() + "/fixtures/real/overflowTestV2000.mdb", "");
  jet::TableCursor rows = db.OpenTable("Table1");
  std::vector<std::string> seen;
  while (rows.Next()) {
    for (const Value& v : rows.values()) {
      if (!jet::IsNull(v)) {
        seen.push_back(std::get<std::string>(v).substr(0, 4));
        break;
      }
    }
  }
  EXPECT_EQ(seen,
            (std::vector<std::string>{"row1", "row2", "row3", "row4", "row5", "row6", "row7"}));
}

TEST(AccessRows, DecimalOleAndUnicodeValues) {
  MDB_REQUIRE_SHARED();
  const std::string real = *testenv::SharedDir() + "/fixtures/real/";
  {
    jet::Database db = jet::Database::Open(real + "fixedNumericTestV2000.mdb", "");
    jet::TableCursor rows = db.OpenTable("test");
    ASSERT_TRUE(rows.Next());
    EXPECT_EQ(rows[0], Value(std::string("some data")));
    EXPECT_EQ(rows[1], Value(jet::Decimal{"1"}));
    EXPECT_EQ(rows[5], Value(jet::Decimal{"-1"}));
  }
  {
    jet::Database db = jet::Database::Open(real + "test2V2000.mdb", "");
    jet::TableCursor rows = db.OpenTable("MSP_PROJECTS");
    ASSERT_TRUE(rows.Next());
    const jet::Binary* ole = nullptr;
    for (const Value& v : rows.values()) {
      if (const auto* b = std::get_if<jet::Binary>(&v)) ole = b;
    }
    ASSERT_NE(ole, nullptr);
    EXPECT_EQ(ole->bytes.size(), 22970u);  // a chained long value
    EXPECT_EQ(ole->bytes.substr(0, 4), std::string("\x15\x1C\x2D\x00", 4));
  }
  {
    jet::Database db = jet::Database::Open(real + "testUnicodeCompV2003.mdb", "");
    jet::TableCursor rows = db.OpenTable("Table");
    std::string all;
    while (rows.Next()) {
      for (const Value& v : rows.values()) {
        if (const auto* s = std::get_if<std::string>(&v)) all += *s;
      }
    }
    EXPECT_NE(all.find("\t"), std::string::npos);
    EXPECT_NE(all.find("~"), std::string::npos);
  }
}

}  // namespace
