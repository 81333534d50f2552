// Permissions of new objects: a new table gets the owners the file's tables have, else those of
// the Tables container with full access; its MSysACEs rows read back as given.
#include "jet/permissions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "jet/drop_table.h"
#include "jet/row.h"
#include "support/test_env.h"
#include "write_checks.h"

namespace {

constexpr int64_t kTablesParent = 0x0F000000;

int32_t TablesContainer(jet::Database& db) {
  jet::TableCursor rows = db.OpenTable("MSysObjects");
  const jet::TableDef& def = rows.def();
  while (rows.Next()) {
    if (jet::IntegerValue(rows[def.ColumnIndex("ParentId")]) == kTablesParent &&
        jet::TextValue(rows[def.ColumnIndex("Name")]) == "Tables") {
      return static_cast<int32_t>(*jet::IntegerValue(rows[def.ColumnIndex("Id")]));
    }
  }
  ADD_FAILURE() << "no Tables container";
  return 0;
}

// SID and access mask of every MSysACEs row, by object.
std::map<int64_t, std::vector<std::pair<std::string, int64_t>>> AcesByObject(jet::Database& db) {
  std::map<int64_t, std::vector<std::pair<std::string, int64_t>>> out;
  jet::TableCursor rows = db.OpenTable("MSysACEs");
  const jet::TableDef& def = rows.def();
  while (rows.Next()) {
    out[*jet::IntegerValue(rows[def.ColumnIndex("ObjectId")])].emplace_back(
        std::get<jet::Binary>(rows[def.ColumnIndex("SID")]).bytes,
        *jet::IntegerValue(rows[def.ColumnIndex("ACM")]));
  }
  return out;
}

std::vector<std::pair<std::string, int64_t>> Pairs(const std::vector<jet::Ace>& aces) {
  std::vector<std::pair<std::string, int64_t>> out;
  for (const jet::Ace& a : aces) out.emplace_back(a.sid, a.acm);
  return out;
}

TEST(NewTableAces, ANewTableGetsTheOwnersOfTheFilesFirstTableWithPermissions) {
  const std::string path = writetest::WritableVelda("aces_like_tables");
  jet::Database db = jet::Database::Open(path, "qarnivel");
  const auto by_object = AcesByObject(db);
  std::vector<std::pair<std::string, int64_t>> expected;
  for (const jet::CatalogueEntry& e : db.Tables()) {
    auto found = by_object.find(e.id);
    if (e.kind == jet::TableKind::kLocal && found != by_object.end()) {
      expected = found->second;
      break;
    }
  }
  ASSERT_FALSE(expected.empty()) << "the sample's tables carry permissions";
  EXPECT_EQ(Pairs(jet::NewTableAces(db, TablesContainer(db))), expected);
}

TEST(NewTableAces, WithoutTablesTheTablesContainersOwnersGetFullAccess) {
  const std::string path = writetest::WritableVelda("aces_from_container");
  jet::Database db = jet::Database::Open(path, "qarnivel");
  std::vector<std::string> locals;
  for (const jet::CatalogueEntry& e : db.Tables()) {
    if (e.kind == jet::TableKind::kLocal) locals.push_back(e.name);
  }
  for (const std::string& name : locals) {
    try {
      jet::DropTable(db, name);
    } catch (const jet::Error&) {
      // A table in a relationship stays; it is dropped once the other side has gone.
    }
  }
  for (const std::string& name : locals) {
    if (db.FindTable(name) != nullptr) jet::DropTable(db, name);
  }
  const int32_t container = TablesContainer(db);
  const auto by_object = AcesByObject(db);
  ASSERT_TRUE(by_object.count(container)) << "the sample's container carries permissions";
  std::vector<std::pair<std::string, int64_t>> expected;
  for (const auto& [sid, acm] : by_object.at(container))
    expected.emplace_back(sid, jet::kFullAccessAcm);
  EXPECT_EQ(Pairs(jet::NewTableAces(db, container)), expected);
  // A container without permissions: the default owner.
  EXPECT_EQ(Pairs(jet::NewTableAces(db, 12345)),
            (std::vector<std::pair<std::string, int64_t>>{{"\xA6\x33", jet::kFullAccessAcm}}));
}

TEST(AceRows, ReadBackAsTheObjectsPermissions) {
  jet::Database db = jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), "qarnivel");
  const jet::TableDef& def = db.GetTableDef("MSysACEs");
  const std::vector<jet::Ace> aces = {{std::string("\xE5\xA3", 2), 1048319, false},
                                      {std::string(102, '\x07'), 983294, false}};
  const std::vector<jet::StoredColumns> rows = jet::AceRows(def, 4242, aces, db.file_name());
  ASSERT_EQ(rows.size(), 2u);
  jet::RowDecoder decoder(db.cache(), def);
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string row = jet::BuildRow(def, rows[i]);
    std::vector<jet::Value> values;
    decoder.Decode(reinterpret_cast<const uint8_t*>(row.data()), row.size(), 0, &values);
    EXPECT_EQ(values[def.ColumnIndex("ObjectId")], jet::Value(int64_t{4242}));
    EXPECT_EQ(values[def.ColumnIndex("SID")], jet::Value(jet::Binary{aces[i].sid}));
    EXPECT_EQ(values[def.ColumnIndex("ACM")], jet::Value(aces[i].acm));
    EXPECT_EQ(values[def.ColumnIndex("FInheritable")], jet::Value(false));
  }
}

}  // namespace
