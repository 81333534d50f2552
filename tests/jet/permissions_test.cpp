// Permissions of new objects: a new table gets the Tables container's full-access SIDs; its
// MSysACEs rows read back as given.
#include "jet/permissions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

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

TEST(NewTableAces, FollowTheTablesContainersFullAccessSids) {
  // As Access gives a new object its rows: one for each SID with the full mask on the Tables
  // container, that mask, not inheritable; a SID with another mask there gets none.
  const std::string path = writetest::WritableVelda("aces_from_container");
  jet::Database db = jet::Database::Open(path, "qarnivel");
  const int32_t container = TablesContainer(db);
  const auto by_object = AcesByObject(db);
  ASSERT_TRUE(by_object.count(container)) << "the sample's container carries permissions";
  std::vector<std::pair<std::string, int64_t>> expected;
  bool other_mask = false;
  for (const auto& [sid, acm] : by_object.at(container)) {
    if (acm == jet::kFullAccessAcm) {
      expected.emplace_back(sid, jet::kFullAccessAcm);
    } else {
      other_mask = true;
    }
  }
  ASSERT_EQ(expected.size(), 3u);
  ASSERT_TRUE(other_mask);
  const std::vector<jet::Ace> aces = jet::NewTableAces(db, container);
  EXPECT_EQ(Pairs(aces), expected);
  for (const jet::Ace& a : aces) EXPECT_FALSE(a.inheritable);
  // The sample's tables carry other rows (one, inheritable): they are not what a new table gets.
  EXPECT_NE(Pairs(aces), by_object.at(db.FindTable("tblEmployee")->id));
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
