#include "db/jet_properties.h"

#include <gtest/gtest.h>

#include "db/jet_provider.h"
#include "db/connection_strings.h"
#include "db/source_session.h"
#include "support/test_env.h"

namespace db {
namespace {

std::string RealFile(const char* name) { return *testenv::SharedDir() + "/fixtures/real/" + name; }

TEST(JetProperties, RequiredColumnsReportNoNullsButNeverTheAutoNumbersNinety) {
  MDB_REQUIRE_SHARED();
  // Every column of `users` was made Required in Access.
  auto session = OpenJetSession(SourceConnectionString(RealFile("fixedTextTestV2000.mdb"), ""));
  const std::vector<FieldInfo> columns = session->Execute("SELECT * FROM users")->Columns();
  ASSERT_EQ(columns.size(), 10u);
  for (const FieldInfo& f : columns) {
    EXPECT_EQ(f.attributes & ado_attr::kIsNullable, 0) << f.name;
    EXPECT_NE(f.attributes, 90) << f.name;
  }
  EXPECT_EQ(columns[0].name, "i_user_id");
  EXPECT_EQ(columns[0].attributes, 86);
  EXPECT_EQ(columns[1].attributes, 70);  // Required variable text
  EXPECT_EQ(columns[8].type, ado_type::kWChar);
  EXPECT_EQ(columns[8].defined_size, 1);

  // Where the generated files set no Required property, columns stay nullable.
  jet::Database velda = jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), "qarnivel");
  EXPECT_TRUE(ReadRequiredColumns(velda).empty());
}

TEST(JetProperties, ADamagedBlobIsReadAsFarAsItGoes) {
  MDB_REQUIRE_SHARED();
  jet::Database db = jet::Database::Open(RealFile("fixedTextTestV2000.mdb"), "");
  const jet::CatalogueEntry* users = db.FindTable("users");
  ASSERT_NE(users, nullptr);
  const auto all = ReadRequiredColumns(db);
  ASSERT_EQ(all.count(users->id), 1u);
  EXPECT_EQ(all.at(users->id).size(), 10u);

  // Every cut and every flipped byte must read without a fault (the sanitizers watch), giving
  // no more columns than the whole blob has.
  const jet::TableDef& def = db.GetTableDef("MSysObjects");
  const size_t id_at = size_t(def.FindColumn("Id") - def.columns.data());
  const size_t blob_at = size_t(def.FindColumn("LvProp") - def.columns.data());
  std::string blob;
  jet::TableCursor rows = db.OpenTable("MSysObjects");
  while (rows.Next())
    if (rows.values()[id_at] == jet::Value(int64_t{users->id}))
      blob = std::get<jet::Binary>(rows.values()[blob_at]).bytes;
  ASSERT_FALSE(blob.empty());
  EXPECT_EQ(RequiredColumns(blob).size(), 10u);
  for (size_t cut = 0; cut < blob.size(); ++cut)
    EXPECT_LE(RequiredColumns(blob.substr(0, cut)).size(), 10u);
  for (size_t i = 0; i < blob.size(); ++i) {
    std::string damaged = blob;
    damaged[i] = static_cast<char>(damaged[i] ^ 0xFF);
    RequiredColumns(damaged);
  }
  EXPECT_TRUE(RequiredColumns("").empty());
  EXPECT_TRUE(RequiredColumns(std::string_view("KKD\0", 4)).empty());
}

}  // namespace
}  // namespace db
