// The ODBC type policy of a link: which Jet type each ODBC column becomes, which remote indexes
// the link keeps, and what RmtInfoLong records.
#include "jet/odbc_types.h"

#include <gtest/gtest.h>

#include <string>

#include "write_checks.h"

namespace {

jet::Column Mapped(int16_t sql_type, uint32_t size, int16_t digits = 0, bool is_unsigned = false) {
  jet::RemoteTable t;
  t.columns = {{"C", sql_type, size, digits, is_unsigned, false}};
  return jet::LinkStructure(t).columns.at(0);
}

TEST(OdbcTypes, MapsOdbcTypesAsJetDoes) {
  const jet::NewTableDef def = jet::LinkStructure(writetest::EmployeeTable());
  ASSERT_EQ(def.columns.size(), 10u);
  EXPECT_EQ(def.columns[0].type, jet::kTypeLong);
  EXPECT_FALSE(def.columns[0].updatable());  // the remote identity
  EXPECT_EQ(def.columns[1].type, jet::kTypeText);
  EXPECT_EQ(def.columns[1].length, 100);
  EXPECT_EQ(def.columns[3].type, jet::kTypeMemo);
  EXPECT_EQ(def.columns[4].type, jet::kTypeDateTime);
  EXPECT_EQ(def.columns[5].type, jet::kTypeBoolean);
  EXPECT_EQ(def.columns[6].type, jet::kTypeDouble);
  EXPECT_EQ(def.columns[7].type, jet::kTypeByte);
  EXPECT_EQ(def.columns[8].type, jet::kTypeText);
  EXPECT_EQ(def.columns[9].type, jet::kTypeDecimal);
  EXPECT_EQ(def.columns[9].scale, 4);
  ASSERT_EQ(def.indexes.size(), 2u);
  EXPECT_TRUE(def.indexes[0].primary_key);
  EXPECT_FALSE(def.indexes[1].primary_key);
  EXPECT_EQ(jet::RemoteInfo(writetest::EmployeeTable()).size(), 60u);
  EXPECT_EQ(jet::RemoteInfo(writetest::EmployeeTable()).substr(0, 6),
            std::string("\x04\x00\x0A\x00\x00\x00", 6));
}

TEST(OdbcTypes, SizesDecideBetweenTextAndMemoAndBetweenBinaryAndOle) {
  EXPECT_EQ(Mapped(jet::kSqlWVarChar, 255).type, jet::kTypeText);
  EXPECT_EQ(Mapped(jet::kSqlWVarChar, 255).length, 510);
  EXPECT_EQ(Mapped(jet::kSqlVarChar, 256).type, jet::kTypeMemo);
  EXPECT_EQ(Mapped(jet::kSqlChar, 0).type, jet::kTypeMemo) << "a size the driver does not know";
  EXPECT_EQ(Mapped(jet::kSqlVarBinary, 510).type, jet::kTypeBinary);
  EXPECT_EQ(Mapped(jet::kSqlVarBinary, 511).type, jet::kTypeOle);
  EXPECT_EQ(Mapped(jet::kSqlLongVarBinary, 10).type, jet::kTypeOle);
  // Decimals up to 28 digits stay exact; wider ones are kept as text.
  const jet::Column decimal = Mapped(jet::kSqlNumeric, 28, 30);
  EXPECT_EQ(decimal.type, jet::kTypeDecimal);
  EXPECT_EQ(decimal.precision, 28);
  EXPECT_EQ(decimal.scale, 28) << "the scale is clamped to what Jet keeps";
  EXPECT_EQ(Mapped(jet::kSqlDecimal, 29).type, jet::kTypeText);
  // A signed TINYINT does not fit a Byte; a BIGINT fits no Jet 4 number.
  EXPECT_EQ(Mapped(jet::kSqlTinyInt, 3).type, jet::kTypeInteger);
  EXPECT_EQ(Mapped(jet::kSqlBigInt, 19).type, jet::kTypeText);
  EXPECT_EQ(Mapped(jet::kSqlBigInt, 19).length, 40);
  // ODBC 2's date and time codes read as Date/Time, like ODBC 3's; unknown types as Memo.
  for (int16_t code : {jet::kSqlDateV2, jet::kSqlTimeV2, jet::kSqlTimestampV2, jet::kSqlDate,
                       jet::kSqlTime, jet::kSqlTimestamp}) {
    EXPECT_EQ(Mapped(code, 19).type, jet::kTypeDateTime) << code;
  }
  EXPECT_EQ(Mapped(-150, 10).type, jet::kTypeMemo);
  // Every column sorts in General order and is updatable unless the source numbers it.
  EXPECT_EQ(Mapped(jet::kSqlInteger, 10).collation, 1033);
  EXPECT_TRUE(Mapped(jet::kSqlInteger, 10).updatable());
  EXPECT_TRUE(Mapped(jet::kSqlInteger, 10).fixed());
  EXPECT_FALSE(Mapped(jet::kSqlWVarChar, 10).fixed());
}

TEST(OdbcTypes, KeepsTheIndexesJetCanHoldAndMakesTheFirstUniqueOneThePrimaryKey) {
  jet::RemoteTable t;
  for (int i = 0; i < 12; ++i) {
    t.columns.push_back({"c" + std::to_string(i), jet::kSqlInteger, 10, 0, false, false});
  }
  std::vector<std::string> eleven;
  for (int i = 0; i < 11; ++i) eleven.push_back("c" + std::to_string(i));
  t.indexes = {{"plain", false, {"c1"}},
               {"unknown", true, {"c1", "nosuch"}},
               {"too_wide", true, eleven},
               {"first_unique", true, {"C2", "c3"}},  // names compare ignoring case
               {"second_unique", true, {"c4"}}};
  const jet::NewTableDef def = jet::LinkStructure(t);
  ASSERT_EQ(def.indexes.size(), 3u);
  EXPECT_EQ(def.indexes[0].name, "plain");
  EXPECT_FALSE(def.indexes[0].primary_key);
  EXPECT_EQ(def.indexes[1].name, "first_unique");
  EXPECT_TRUE(def.indexes[1].primary_key);
  EXPECT_EQ(def.indexes[1].columns, (std::vector<uint16_t>{2, 3}));
  EXPECT_TRUE(def.indexes[2].unique);
  EXPECT_FALSE(def.indexes[2].primary_key);
}

TEST(OdbcTypes, RemoteInfoRecordsEachColumnsTypeSizeAndDigits) {
  jet::RemoteTable t;
  t.columns = {{"a", jet::kSqlWLongVarChar, 1u << 30, 0, false, false},
               {"b", jet::kSqlDecimal, 19, 4, false, false}};
  EXPECT_EQ(jet::RemoteInfo(t), std::string("\xF6\xFF\xFF\xFF\x00\x00"
                                            "\x03\x00\x13\x00\x04\x00",
                                            12))
      << "a size above 65535 is recorded as 65535";
  // Dates and times by their ODBC 2 codes, as in the link Access wrote.
  t.columns = {{"d", jet::kSqlDate, 10, 0, false, false},
               {"t", jet::kSqlTime, 8, 0, false, false},
               {"ts", jet::kSqlTimestamp, 19, 0, false, false}};
  EXPECT_EQ(jet::RemoteInfo(t), std::string("\x09\x00\x0A\x00\x00\x00"
                                            "\x0A\x00\x08\x00\x00\x00"
                                            "\x0B\x00\x13\x00\x00\x00",
                                            18));
}

}  // namespace
