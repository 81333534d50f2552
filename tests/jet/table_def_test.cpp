// Table definitions of the sample database and of Access-written files.
#include "jet/table_def.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/database.h"
#include "support/test_env.h"

namespace {

std::vector<std::string> ColumnNames(const jet::TableDef& def) {
  std::vector<std::string> names;
  for (const jet::Column& c : def.columns) names.push_back(c.name);
  return names;
}

std::vector<std::string> KeyColumns(const jet::Index& index) {
  std::vector<std::string> names;
  for (const jet::IndexColumn& c : index.columns) names.push_back(c.name);
  return names;
}

class SampleTables : public ::testing::Test {
 protected:
  jet::Database db_ = jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), "qarnivel");
};

TEST_F(SampleTables, EmployeeColumnsKindsAndIndexes) {
  const jet::TableDef& def = db_.GetTableDef("TBLEMPLOYEE");
  EXPECT_EQ(ColumnNames(def),
            (std::vector<std::string>{"EmpID", "EmpCode", "EmpName", "DeptID", "Active", "Salary",
                                      "JoinDate", "Remarks"}));
  EXPECT_EQ(def.row_count, 40u);
  EXPECT_EQ(def.last_autonumber, 42u) << "42 rows inserted, two deleted";
  const std::vector<uint8_t> types = {jet::kTypeLong,     jet::kTypeText,    jet::kTypeText,
                                      jet::kTypeLong,     jet::kTypeBoolean, jet::kTypeDouble,
                                      jet::kTypeDateTime, jet::kTypeMemo};
  for (size_t i = 0; i < types.size(); ++i) EXPECT_EQ(def.columns[i].type, types[i]) << i;
  EXPECT_TRUE(def.columns[0].autonumber());
  EXPECT_FALSE(def.columns[3].autonumber());
  EXPECT_FALSE(def.columns[1].fixed());
  EXPECT_EQ(def.columns[1].max_characters(), 10);
  EXPECT_EQ(def.columns[2].max_characters(), 50);
  EXPECT_TRUE(def.columns[2].compressed_unicode());
  EXPECT_EQ(def.columns[2].collation, 1033);

  ASSERT_EQ(def.indexes.size(), 3u);
  EXPECT_EQ(def.indexes[0].name, "PrimaryKey");
  EXPECT_TRUE(def.indexes[0].primary_key);
  EXPECT_TRUE(def.indexes[0].unique);
  EXPECT_EQ(KeyColumns(def.indexes[0]), std::vector<std::string>{"EmpID"});
  EXPECT_EQ(def.indexes[1].name, "EmpCode");
  EXPECT_FALSE(def.indexes[1].primary_key);
  EXPECT_TRUE(def.indexes[1].unique);
  EXPECT_EQ(def.indexes[2].name, "DeptID");
  EXPECT_FALSE(def.indexes[2].unique);
}

TEST_F(SampleTables, ShiftPrimaryKeyListsItsColumnsInKeyOrderNotColumnOrder) {
  const jet::TableDef& def = db_.GetTableDef("Tbl_Shift");
  EXPECT_EQ(ColumnNames(def),
            (std::vector<std::string>{"ShiftCode", "DayNo", "StartTime", "Crosses"}));
  ASSERT_EQ(def.indexes.size(), 1u);
  EXPECT_TRUE(def.indexes[0].primary_key);
  EXPECT_EQ(KeyColumns(def.indexes[0]), (std::vector<std::string>{"DayNo", "ShiftCode"}));
  EXPECT_TRUE(def.indexes[0].columns[0].ascending);
  EXPECT_TRUE(def.indexes[0].columns[1].ascending);
}

TEST_F(SampleTables, ScheduleKeyColumnsAreFixedLengthText) {
  const jet::TableDef& def = db_.GetTableDef("tblSchedule_Intelligent");
  ASSERT_EQ(def.columns.size(), 4u);
  const int widths[] = {2, 10, 3, 30};
  for (int i = 0; i < 4; ++i) {
    const jet::Column& c = def.columns[i];
    EXPECT_EQ(c.type, jet::kTypeText) << c.name;
    EXPECT_EQ(c.max_characters(), widths[i]) << c.name;
    EXPECT_EQ(c.fixed(), i < 3) << c.name;
    EXPECT_EQ(c.compressed_unicode(), i == 3) << c.name << ": fixed text is stored uncompressed";
  }
  ASSERT_EQ(def.indexes.size(), 1u);
  EXPECT_EQ(KeyColumns(def.indexes[0]), (std::vector<std::string>{"Schedule_Code", "Sequence_No"}));
}

TEST_F(SampleTables, TablesWithoutIndexesAndLookupErrors) {
  EXPECT_TRUE(db_.GetTableDef("tblSystem_Parameter_A").indexes.empty());
  EXPECT_TRUE(db_.GetTableDef("w_log").columns[0].autonumber());
  EXPECT_TRUE(db_.GetTableDef("w_log").indexes.empty());
  EXPECT_THROW(db_.GetTableDef("tblNoSuchTable"), jet::Error);
  EXPECT_THROW(db_.GetTableDef("W_Tem"), jet::Error);
}

TEST_F(SampleTables, CatalogueColumnsComeInDescriptorOrderNotColumnNumberOrder) {
  // MSysObjects keeps its descriptors alphabetical while the column numbers run Id=0, ParentId=1,
  // Name=2 ... : SELECT * follows the descriptors.
  const jet::TableDef& def = db_.GetTableDef("MSysObjects");
  EXPECT_TRUE(def.system);
  ASSERT_EQ(def.columns.size(), 17u);
  EXPECT_EQ(def.columns.front().name, "Connect");
  EXPECT_EQ(def.columns.back().name, "Type");
  EXPECT_EQ(def.FindColumn("Id")->number, 0);
  EXPECT_EQ(def.FindColumn("parentid")->number, 1);
  EXPECT_EQ(def.FindColumn("Name")->number, 2);
  EXPECT_EQ(def.ColumnIndex("NAME"), 11);
  EXPECT_EQ(def.ColumnIndex("Nam"), -1);
  ASSERT_EQ(def.indexes.size(), 2u);
  EXPECT_EQ(def.indexes[0].name, "ParentIdName");
  EXPECT_EQ(KeyColumns(def.indexes[0]), (std::vector<std::string>{"ParentId", "Name"}));
  EXPECT_TRUE(def.indexes[1].primary_key);
}

TEST(AccessTableDefs, DeletedColumnLeavesAGapInColumnNumbers) {
  MDB_REQUIRE_SHARED();
  jet::Database db =
      jet::Database::Open(*testenv::SharedDir() + "/fixtures/real/delColTestV2000.mdb", "");
  const jet::TableDef& def = db.GetTableDef("Table1");
  EXPECT_EQ(ColumnNames(def), (std::vector<std::string>{"id", "id2", "data", "data2"}));
  std::vector<int> numbers, var_indexes;
  for (const jet::Column& c : def.columns) {
    numbers.push_back(c.number);
    if (!c.fixed()) var_indexes.push_back(c.var_index);
  }
  EXPECT_EQ(numbers, (std::vector<int>{0, 2, 3, 5}));
  EXPECT_EQ(var_indexes, (std::vector<int>{0, 2}));
  EXPECT_EQ(def.max_columns, 6);

  jet::TableCursor rows = db.OpenTable("Table1");
  ASSERT_TRUE(rows.Next());
  EXPECT_EQ(rows.values(), (std::vector<jet::Value>{int64_t{0}, int64_t{2}, std::string("foo"),
                                                    std::string("foo2")}));
  ASSERT_TRUE(rows.Next());
  EXPECT_EQ(rows.values(), (std::vector<jet::Value>{int64_t{3}, int64_t{5}, std::string("bar"),
                                                    std::string("bar2")}));
  EXPECT_FALSE(rows.Next());
}

TEST(AccessTableDefs, DefinitionSpreadOverContinuationPages) {
  MDB_REQUIRE_SHARED();
  jet::Database db =
      jet::Database::Open(*testenv::SharedDir() + "/fixtures/real/test2V2000.mdb", "");
  const jet::TableDef& def = db.GetTableDef("MSP_PROJECTS");
  jet::PageRef first = db.cache().Read(def.page);
  EXPECT_NE(first->data()[4] | first->data()[5] << 8, 0) << "the definition has a next page";
  ASSERT_EQ(def.columns.size(), 74u);
  EXPECT_EQ(def.columns.front().name, "PROJ_ID");
  EXPECT_EQ(def.columns[1].name, "PROJ_NAME");
  EXPECT_EQ(def.indexes.size(), 2u);
  EXPECT_FALSE(def.long_value_maps.empty());
}

TEST(AccessTableDefs, DescendingAndCompositeIndexesAndDecimalColumns) {
  MDB_REQUIRE_SHARED();
  const std::string real = *testenv::SharedDir() + "/fixtures/real/";
  {
    jet::Database db = jet::Database::Open(real + "compIndexTestV2000.mdb", "");
    bool descending = false;
    for (const jet::Index& x : db.GetTableDef("Table1").indexes) {
      for (const jet::IndexColumn& c : x.columns) descending |= !c.ascending;
    }
    EXPECT_TRUE(descending);
  }
  {
    jet::Database db = jet::Database::Open(real + "fixedNumericTestV2000.mdb", "");
    const jet::Column* c = db.GetTableDef("test").FindColumn("col2");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->type, jet::kTypeDecimal);
    EXPECT_EQ(c->precision, 18);
    EXPECT_EQ(c->scale, 0);
  }
  {
    jet::Database db = jet::Database::Open(real + "fixedTextTestV2000.mdb", "");
    const jet::TableDef& def = db.GetTableDef("users");
    EXPECT_TRUE(def.FindColumn("c_flag_")->fixed());
    EXPECT_EQ(def.FindColumn("c_flag_")->max_characters(), 1);
    EXPECT_EQ(def.indexes.size(), 6u);
  }
}

}  // namespace
