#include "verify/expected_table.h"

#include <gtest/gtest.h>

#include "db/source_session.h"
#include "support/test_env.h"

namespace verify {
namespace {

ExpectedTable Expect(const std::string& table) {
  db::Connection source;
  db::OpenSourceSession(source, testenv::FixturePath("velda_sample.mdb"), db::kSourcePassword);
  std::unique_ptr<db::Recordset> rows = source.Execute("SELECT * FROM " + table);
  return MigratedTable(source, table, rows->Fields());
}

using Indexes = std::vector<std::pair<std::string, std::string>>;

TEST(MigratedTable, TheColumnsKeysAndIndexesTheMigrationMakes) {
  const ExpectedTable employee = Expect("tblEmployee");
  EXPECT_EQ(employee.mysql_name, "tblemployee");
  ASSERT_EQ(employee.columns.size(), 8u);
  EXPECT_EQ(employee.columns[0].data_type, "int");
  EXPECT_TRUE(employee.columns[0].auto_increment);
  EXPECT_TRUE(employee.columns[0].not_null);
  EXPECT_EQ(employee.columns[1].data_type, "varchar");
  EXPECT_EQ(employee.columns[1].length, 10);
  EXPECT_EQ(employee.columns[4].data_type, "tinyint");
  EXPECT_EQ(employee.columns[7].data_type, "longtext");
  EXPECT_EQ(employee.key, std::vector<std::string>{"EmpID"});
  EXPECT_FALSE(employee.surrogate_key);
  EXPECT_EQ(employee.indexes, (Indexes{{"EmpID", "EmpID"},
                                       {"index_tblemployee_EmpID", "EmpID"},
                                       {"index_tblemployee_EmpCode", "EmpCode"},
                                       {"index_tblemployee_DeptID", "DeptID"}}));

  // The source's key (DayNo, ShiftCode), named in reverse as the migration's ALTER names it.
  EXPECT_EQ(Expect("Tbl_Shift").key, (std::vector<std::string>{"ShiftCode", "DayNo"}));
  const ExpectedTable schedule = Expect("tblSchedule_Intelligent");
  EXPECT_EQ(schedule.columns[0].length, 100) << "the columns the migration widens";
  const ExpectedTable words = Expect("tblencrword");
  EXPECT_TRUE(words.surrogate_key);
  EXPECT_EQ(words.key, std::vector<std::string>{kSurrogateKey});
  // An AutoNumber without an index keys the table.
  EXPECT_EQ(Expect("w_log").key, std::vector<std::string>{"LogID"});
}

}  // namespace
}  // namespace verify
