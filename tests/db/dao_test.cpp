#include "db/dao.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "base/hex.h"
#include "db/error.h"
#include "jet/general_sort_key.h"
#include "jet/byte_order.h"
#include "jet/database.h"
#include "support/test_env.h"

namespace db::dao {
namespace {

std::vector<std::string> Names(const std::vector<TableDef>& defs) {
  std::vector<std::string> names;
  for (const TableDef& d : defs) names.push_back(d.name);
  return names;
}

TEST(Dao, TableDefsComeInTheCatalogueIndexOrderSystemTablesIncluded) {
  auto db = OpenDatabase(testenv::FixturePath("velda_sample.mdb"), false, false, ";pwd=qarnivel");
  const std::vector<TableDef> defs = db->TableDefs();
  EXPECT_EQ(Names(defs),
            (std::vector<std::string>{"Employees", "MSysAccessObjects", "MSysACEs", "MSysObjects",
                                      "MSysQueries", "MSysRelationships", "Tbl_Shift",
                                      "tblEmployee", "tblencrword", "tblLeave_Header",
                                      "tblSchedule_Intelligent", "tblSystem_Parameter_A", "TBLX",
                                      "W", "w_log", "W_Temp", "xtbl"}));
  for (const TableDef& d : defs) {
    EXPECT_EQ(d.system, d.name.rfind("MSys", 0) == 0) << d.name;
    EXPECT_EQ(d.connect, "") << d.name;
    EXPECT_EQ(d.source_table_name, "") << d.name;
  }
}

TEST(Dao, LooksUpByNameIgnoringCaseAndRaisesForAMissingOne) {
  auto db = OpenDatabase(testenv::FixturePath("velda_sample.mdb"), false, false, ";pwd=qarnivel");
  EXPECT_EQ(db->TableDefByName("TBLEMPLOYEE").name, "tblEmployee");
  try {
    db->TableDefByName("tblEmployees");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 3265);
    EXPECT_EQ(e.description(), "Item not found in this collection.");
  }
}

TEST(Dao, OpeningNeedsTheRightPassword) {
  EXPECT_THROW(OpenDatabase(testenv::FixturePath("velda_sample.mdb"), false, false, ";pwd=x"),
               Error);
  EXPECT_NO_THROW(OpenDatabase(testenv::FixturePath("other_password.mdb"), false, false,
                               ";PWD=otherpass"));
}

TEST(GeneralSortKey, GivesTheKeysJetWritesIntoItsIndexes) {
  EXPECT_EQ(base::SpacedHex(jet::GeneralSortKey("Tables")), "6D 4A 4C 5E 51 6B 01 00");
  const std::string parameter =
      "6D 4C 5E 6B 76 6B 6D 51 60 2B 03 66 4A 69 4A 60 51 6D 51 69 2B 03 4A 01 00";
  EXPECT_EQ(base::SpacedHex(jet::GeneralSortKey("tblSystem_Parameter_A")), parameter);
  EXPECT_EQ(base::SpacedHex(jet::GeneralSortKey("TBLSYSTEM_PARAMETER_A")), parameter);
  EXPECT_EQ(base::SpacedHex(jet::GeneralSortKey("W_Temp 1")), "73 2B 03 6D 51 60 66 07 38 01 00");
  EXPECT_EQ(base::SpacedHex(jet::GeneralSortKey("ab ")), "4A 4C 01 00");
  EXPECT_EQ(base::SpacedHex(jet::GeneralSortKey("café")), "4D 4A 53 51 01 02 02 02 0E 00");
  EXPECT_EQ(base::SpacedHex(jet::GeneralSortKey("a-b")), "4A 4C 01 01 01 01 80 0B 06 82 00");
  EXPECT_EQ(base::SpacedHex(jet::GeneralSortKey("O'Brien")),
            "64 4C 69 59 51 62 01 01 01 01 80 0B 06 80 00");
  EXPECT_EQ(base::SpacedHex(jet::GeneralSortKey("ß")), "6B 6B 01 00");
  EXPECT_LT(jet::GeneralSortKey("Tbl_Shift"), jet::GeneralSortKey("tblEmployee"));
}

// The tables of the catalogue in the order of the leaves of MSysObjects' ParentIdName index, as
// the file holds them: the order TableDefs must reproduce.
std::vector<std::string> IndexOrder(jet::Database& db) {
  const jet::TableDef& def = db.GetTableDef("MSysObjects");
  const jet::Index* parent_id_name = nullptr;
  for (const jet::Index& i : def.indexes)
    if (i.name == "ParentIdName") parent_id_name = &i;
  EXPECT_NE(parent_id_name, nullptr);
  if (!parent_id_name) return {};
  // Row address -> table name, for the catalogue rows that are tables.
  std::map<int32_t, std::string> tables_by_id;
  for (const jet::CatalogueEntry& e : db.Tables()) tables_by_id[e.id] = e.name;
  const jet::Column* id_column = def.FindColumn("Id");
  size_t id_position = size_t(id_column - def.columns.data());
  std::map<std::pair<uint32_t, int>, std::string> by_address;
  jet::TableCursor rows = db.OpenTable("MSysObjects");
  while (rows.Next()) {
    const int32_t id = int32_t(std::get<int64_t>(rows.values()[id_position]));
    if (tables_by_id.count(id)) by_address[{rows.page(), rows.slot()}] = tables_by_id[id];
  }
  // Down the leftmost children to the first leaf, then along the leaves.
  jet::PageNumber page = def.real_indexes[parent_id_name->real_index].root;
  for (int depth = 0; depth < 8; ++depth) {
    jet::PageRef p = db.cache().Read(page);
    if (p->type() == 0x04) break;
    // A node's first entry ends with its child's page number (big-endian); a node without
    // entries has only its tail child.
    const uint8_t* mask = p->data() + 27;
    size_t end = 1;
    while (end < 3616 && !(mask[end / 8] & (1 << (end % 8)))) ++end;
    if (end >= 3616) {
      page = jet::LoadU32(p->data() + 20);
    } else {
      const uint8_t* child = p->data() + 480 + end - 4;
      page = uint32_t(child[0]) << 24 | uint32_t(child[1]) << 16 | uint32_t(child[2]) << 8 |
             child[3];
    }
  }
  std::vector<std::string> order;
  while (page != 0) {
    jet::PageRef p = db.cache().Read(page);
    EXPECT_EQ(p->type(), 0x04);
    const uint8_t* mask = p->data() + 27;
    const size_t prefix = jet::LoadU16(p->data() + 24);
    std::string first;
    size_t start = 0;
    for (size_t pos = 0; pos < 3616; ++pos) {
      if (!(mask[pos / 8] & (1 << (pos % 8)))) continue;
      std::string entry(reinterpret_cast<const char*>(p->data() + 480 + start), pos - start);
      if (start == 0) {
        first = entry;
      } else {
        entry = first.substr(0, prefix) + entry;
      }
      const size_t n = entry.size();
      const uint32_t data_page = uint32_t(uint8_t(entry[n - 4])) << 16 |
                                 uint32_t(uint8_t(entry[n - 3])) << 8 | uint8_t(entry[n - 2]);
      const int slot = uint8_t(entry[n - 1]);
      auto found = by_address.find({data_page, slot});
      if (found != by_address.end()) order.push_back(found->second);
      start = pos;
    }
    page = jet::LoadU32(p->data() + 16);
  }
  return order;
}

TEST(Dao, TableDefsOrderMatchesTheIndexPagesOfRealFiles) {
  std::vector<std::pair<std::string, std::string>> files = {
      {testenv::FixturePath("velda_sample.mdb"), "qarnivel"}};
  if (auto shared = testenv::SharedDir()) {
    for (const char* f : {"indexTestV2000.mdb", "queryTestV2000.mdb", "test2V2000.mdb",
                          "testIndexPropertiesV2000.mdb", "adox_jet4.mdb",
                          "V2003_with-password.mdb"})
      files.emplace_back(*shared + "/fixtures/real/" + f, "password");
  }
  for (const auto& [path, password] : files) {
    jet::Database engine = jet::Database::Open(path, password);
    const std::vector<std::string> expected = IndexOrder(engine);
    EXPECT_EQ(expected.size(), engine.Tables().size()) << path;
    auto db = OpenDatabase(path, false, false, ";pwd=" + password);
    EXPECT_EQ(Names(db->TableDefs()), expected) << path;
  }
}

}  // namespace
}  // namespace db::dao
