// The tables and export commands: output format, exit status and messages.
#include "cli/file_commands.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/export_text.h"
#include "jet/error.h"
#include "support/test_env.h"

namespace {

struct CommandResult {
  int status;
  std::string out, err;
};

CommandResult Export(const std::string& file, const std::string& table,
                     const std::string& password = "qarnivel") {
  std::ostringstream out, err;
  int status = cli::RunExportCommand(file, table, password, out, err);
  return {status, out.str(), err.str()};
}

CommandResult Tables(const std::string& file, const std::string& password = "qarnivel") {
  std::ostringstream out, err;
  int status = cli::RunTablesCommand(file, password, out, err);
  return {status, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const std::string kSample = testenv::FixturePath("velda_sample.mdb");

TEST(ExportCommand, WritesEscapedTabSeparatedRows) {
  CommandResult run = Export(kSample, "tblemployee");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 41u);
  EXPECT_EQ(lines[0], "EmpID\tEmpCode\tEmpName\tDeptID\tActive\tSalary\tJoinDate\tRemarks");
  EXPECT_EQ(lines[2],
            "2\tE0002\tSean O'Brien\t10\t1\t4200.5\t2023-05-17 14:30:00\t"
            "Apostrophe in name: O'Brien");
  EXPECT_EQ(lines[7],
            "7\tE0007\tBack\\\\Slash\t30\t1\t3000\t2017-03-15 00:00:00\t"
            "C:\\\\Temp\\\\new\\\\file.txt");
  EXPECT_EQ(lines[11], "11\tE0011\t\t50\t1\t1500\t2022-01-04 00:00:00\t");
  EXPECT_EQ(lines[12], "12\t\\N\t\\N\t\\N\t0\t\\N\t\\N\t\\N");
  EXPECT_EQ(lines[15].rfind("15\tE0015\tTime Only Join\t20\t1\t0\t1899-12-30 08:45:00\t", 0), 0u);
  EXPECT_EQ(lines[16].rfind("16\tE0016\tOld Date\t20\t0\t1e+15\t1850-07-04 06:00:00\t", 0), 0u);
  EXPECT_EQ(lines[18],
            "18\tE0018\tControl Chars\t30\t1\t123456.789\t2001-09-11 08:46:00\t"
            "line1\\r\\nline2\\ttabbed");
}

TEST(ExportCommand, CurrencyHasFourDecimalsAndBinaryIsHex) {
  CommandResult run = Export(testenv::FixturePath("unsupported_with_rows.mdb"), "tblRate");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "RateID\tAmount\tFactor\n1\t12.5000\t1.5\n2\t-3.2500\t0.25\n3\t\\N\t\\N\n");

  std::string hex;
  cli::AppendExportValue(jet::Binary{std::string("\x00\xAB\x7F", 3)}, &hex);
  EXPECT_EQ(hex, "0x00AB7F");
  std::string money;
  cli::AppendExportValue(jet::Currency{-5}, &money);
  EXPECT_EQ(money, "-0.0005");
  std::string guid;
  cli::AppendExportValue(jet::Guid{"{6B29FC40-CA47-1067-B31D-00DD010662DA}"}, &guid);
  EXPECT_EQ(guid, "{6B29FC40-CA47-1067-B31D-00DD010662DA}");
  std::string single;
  cli::AppendExportValue(0.1f, &single);
  EXPECT_EQ(single, "0.1") << "a Single prints as the shortest text that reads back the same";
}

TEST(ExportCommand, FailuresExitNonZeroWithAMessage) {
  // A file that does not open has a status of its own; a table that is not there is the
  // command's own failure.
  CommandResult wrong_password = Export(kSample, "tblEmployee", "secret");
  EXPECT_EQ(wrong_password.status, cli::kExitSourceUnreadable);
  EXPECT_EQ(wrong_password.out, "");
  EXPECT_EQ(wrong_password.err, "velda_sample.mdb: wrong database password\n");

  CommandResult unknown = Export(kSample, "tblNothing");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err, "velda_sample.mdb: no table named tblNothing\n");

  CommandResult not_a_database = Export(testenv::FixturePath("not_a_database.mdb"), "x");
  EXPECT_EQ(not_a_database.status, cli::kExitSourceUnreadable);
  EXPECT_NE(not_a_database.err.find("not a Jet 4 database"), std::string::npos);

  CommandResult missing = Export("/nonexistent/VELDA.mdb", "tblEmployee");
  EXPECT_EQ(missing.status, cli::kExitSourceUnreadable);
  EXPECT_NE(missing.err.find("cannot open the file"), std::string::npos);

  std::string out;
  EXPECT_THROW(cli::AppendExportValue(jet::Date{1e12}, &out), jet::Error);
}

TEST(TablesCommand, ListsKindRowCountColumnsAndIndexes) {
  CommandResult run = Tables(kSample);
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines = Lines(run.out);
  auto has = [&](const std::string& line) {
    for (const std::string& l : lines) {
      if (l == line) return true;
    }
    return false;
  };
  EXPECT_TRUE(has("MSysObjects\tsystem\trows=30"));
  EXPECT_TRUE(has("tblEmployee\tlocal\trows=40"));
  EXPECT_TRUE(has("\tcolumn\tEmpID\tLong Integer autonumber"));
  EXPECT_TRUE(has("\tcolumn\tEmpCode\tText(10)"));
  EXPECT_TRUE(has("\tcolumn\tSchedule_Type\tText(2) fixed"));
  EXPECT_TRUE(has("\tindex\tPrimaryKey\tprimary key\tDayNo, ShiftCode"));
  EXPECT_TRUE(has("W_Temp\tlocal\trows=0"));

  CommandResult refused = Tables(testenv::FixturePath("other_password.mdb"));
  EXPECT_EQ(refused.status, cli::kExitSourceUnreadable);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "other_password.mdb: wrong database password\n");
}

}  // namespace
