#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "base/ascii_case.h"
#include "db/error.h"
#include "db/field.h"
#include "migrate/column_translation.h"
#include "migrate/migration_engine.h"
#include "migrate/value_rendering.h"

namespace migrate {
namespace {

std::string Definition(const std::string& table, const std::string& name, int type, long size,
                       long attributes = 0, bool* auto_increment = nullptr) {
  db::FieldInfo f;
  f.name = name;
  f.type = type;
  f.defined_size = size;
  f.attributes = attributes;
  bool ignored = false;
  return ColumnDefinition(table, f, auto_increment ? auto_increment : &ignored);
}

TEST(ColumnTranslation, TypesAndTheirSpecialCases) {
  using namespace db::ado_type;
  EXPECT_EQ(Definition("t", "Name", kVarWChar, 50), "`Name` varchar (50), ");
  EXPECT_EQ(Definition("t", "Code", kWChar, 10), "`Code` varchar (10), ");
  EXPECT_EQ(Definition("tblleave_header", "Period_From", kVarWChar, 20), "`Period_From` varchar (100), ");
  EXPECT_EQ(Definition("tblleave_header", "Period_To", kVarWChar, 20), "`Period_To` varchar (100), ");
  EXPECT_EQ(Definition("tblleave_header", "period_from", kVarWChar, 20), "`period_from` varchar (20), ");
  EXPECT_EQ(Definition("tblleave_header", "Period_From", kWChar, 20), "`Period_From` varchar (20), ");
  EXPECT_EQ(Definition("tblschedule_intelligent", "Sequence_No", kWChar, 3), "`Sequence_No` varchar (100), ");
  EXPECT_EQ(Definition("tblschedule_intelligent", "Remark", kWChar, 3), "`Remark` varchar (3), ");
  EXPECT_EQ(Definition("t", "Active", kBoolean, 2), "`Active` tinyint (2) DEFAULT 0 NULL, ");
  EXPECT_EQ(Definition("t", "Salary", kDouble, 8), "`Salary` double DEFAULT 0 NULL, ");
  EXPECT_EQ(Definition("t", "Remarks", kLongVarWChar, 536870910), "`Remarks` longtext, ");
  EXPECT_EQ(Definition("t", "JoinDate", kDate, 8), "`JoinDate` datetime, ");
  bool auto_increment = false;
  EXPECT_EQ(Definition("t", "EmpID", kInteger, 4, 90, &auto_increment),
            "`EmpID` int NOT NULL AUTO_INCREMENT, INDEX(EmpID), ");
  EXPECT_TRUE(auto_increment);
  EXPECT_EQ(Definition("t", "DeptID", kInteger, 4, 118, &auto_increment), "`DeptID` int DEFAULT 0 NULL, ");
  EXPECT_FALSE(auto_increment);
  for (int unsupported : {kSmallInt, kSingle, kCurrency, kNumeric, kUnsignedTinyInt, kGuid, kVarBinary, kLongVarBinary})
    EXPECT_EQ(Definition("t", "X", unsupported, 8), "") << unsupported;
}

TEST(ColumnTranslation, SelectsTheApplicationsTablesByPrefix) {
  for (const char* name : {"tblEmployee", "TBLX", "Tbl_Shift", "w_temp", "W_Temp", "tbl"})
    EXPECT_TRUE(IsSelectedTable(name)) << name;
  for (const char* name : {"MSysObjects", "Employees", "xtbl", "W", "tb", "w-log", ""})
    EXPECT_FALSE(IsSelectedTable(name)) << name;
  EXPECT_EQ(base::ToLowerAscii("tblLeave_Header"), "tblleave_header");
}

TEST(FixQuote, DoublesEveryQuoteAndTrimsOnlySpaces) {
  EXPECT_EQ(FixQuote("O'Brien"), "O''Brien");
  EXPECT_EQ(FixQuote("Ann ''Two'' Quotes"), "Ann ''''Two'''' Quotes");
  EXPECT_EQ(FixQuote("   lead and trail   "), "lead and trail");
  EXPECT_EQ(FixQuote("\ttab\n"), "\ttab\n");
  EXPECT_EQ(FixQuote("'"), "''");
  EXPECT_EQ(FixQuote(" "), "");
  EXPECT_EQ(FixQuote("C:\\Temp\\"), "C:\\Temp\\");
  // No length limit: a 40,000-character memo with one quote is doubled, not refused.
  std::string memo(40000, 'x');
  memo[24999] = '\'';
  EXPECT_EQ(FixQuote(memo).size(), 40001u);
}

TEST(ValueRendering, DateTimesKeepTheirTimeRoundedToTheSecond) {
  std::string out;
  ASSERT_TRUE(AppendLiteral(db::ado_type::kDate, db::Value::Date({1899, 12, 30, 8, 45, 0, 0}), &out));
  EXPECT_EQ(out, "'1899-12-30 08:45:00'");
  EXPECT_EQ(FormatDateTime({2023, 12, 31, 23, 59, 59, 0}), "2023-12-31 23:59:59");
  EXPECT_EQ(FormatDateTime({2023, 12, 31, 23, 59, 59, 500'000'000}), "2024-01-01 00:00:00");
  EXPECT_EQ(FormatDateTime({2024, 2, 28, 23, 59, 59, 999'000'000}), "2024-02-29 00:00:00");
  EXPECT_EQ(FormatDateTime({2023, 5, 17, 14, 29, 59, 999'900'000}), "2023-05-17 14:30:00");
  EXPECT_EQ(FormatDateTime({2023, 5, 17, 14, 30, 0, 499'000'000}), "2023-05-17 14:30:00");
  out.clear();
  AppendLiteral(db::ado_type::kDate, db::Value::Null(), &out);
  EXPECT_EQ(out, "NULL");
}

TEST(ValueRendering, NumbersUseAPointWhateverTheLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  // A comma locale where the machine has one; the point must stay either way.
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  std::string out;
  for (double d : {0.1, 1e15, -1234.56}) {
    AppendLiteral(db::ado_type::kDouble, db::Value::Double(d), &out);
    out += ' ';
  }
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(out, "0.1 1e+15 -1234.56 ");
  EXPECT_THROW(DoubleLiteral(std::nan("")), db::Error);
  EXPECT_THROW(DoubleLiteral(std::numeric_limits<double>::infinity()), db::Error);
  out.clear();
  AppendLiteral(db::ado_type::kInteger, db::Value::Null(), &out);
  AppendLiteral(db::ado_type::kBoolean, db::Value::Null(), &out);
  AppendLiteral(db::ado_type::kInteger, db::Value::Integer(-7), &out);
  EXPECT_EQ(out, "00-7");
}

}  // namespace
}  // namespace migrate
