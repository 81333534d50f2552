// Index keys of rows: every text entry of the files Access wrote is the key computed for its row;
// descending and NULL text segments; what is refused rather than guessed.
#include "jet/index_key.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <unordered_map>

#include "jet/database.h"
#include "jet/index_page.h"
#include "jet/table_cursor.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

bool HasText(const jet::TableDef& def, const jet::RealIndex& index) {
  for (const jet::IndexColumn& ic : index.columns) {
    const jet::Column* c = def.ColumnByNumber(ic.column_number);
    if (c != nullptr && (c->type == jet::kTypeText || c->type == jet::kTypeMemo)) return true;
  }
  return false;
}

struct Tally {
  size_t entries = 0;
  size_t not_computed = 0;
  std::vector<std::string> mismatches;
};

// Every entry of every index with a text column, in every table of `db`, against its row's key.
void CompareTextEntries(jet::Database& db, const std::string& file, Tally* tally) {
  std::set<jet::PageNumber> seen;
  std::vector<std::pair<std::string, jet::PageNumber>> tables;
  for (const jet::CatalogueEntry& e : db.Tables()) {
    if (e.table_def != 0 && seen.insert(e.table_def).second)
      tables.emplace_back(e.name, e.table_def);
  }
  if (seen.count(2) == 0) tables.emplace_back("MSysObjects", 2);
  for (const auto& [name, page] : tables) {
    auto def = std::make_shared<const jet::TableDef>(jet::ReadTableDef(db.cache(), page));
    std::unordered_map<uint32_t, std::vector<jet::Value>> rows;
    jet::TableCursor cursor(db.cache(), def);
    while (cursor.Next()) rows[cursor.page() << 8 | cursor.slot()] = cursor.values();
    for (const jet::RealIndex& index : def->real_indexes) {
      if (!HasText(*def, index)) continue;
      for (const jet::IndexEntry& e : jet::ReadIndexTree(db.cache(), index, page).entries) {
        auto row = rows.find(e.row.page << 8 | e.row.row);
        ASSERT_NE(row, rows.end()) << file << " " << name;
        ++tally->entries;
        const std::optional<std::string> key = jet::EncodeIndexKey(*def, index, row->second);
        if (!key) {
          ++tally->not_computed;
        } else if (*key != e.key()) {
          tally->mismatches.push_back(file + ": " + name + " index " +
                                      std::to_string(index.number));
        }
      }
    }
  }
}

TEST(EncodeIndexKey, GivesEveryTextEntryOfTheFilesAccessWrote) {
  MDB_REQUIRE_SHARED();
  const std::string folder = *testenv::SharedDir() + "/fixtures/real";
  if (!fs::is_directory(folder)) GTEST_SKIP() << folder << " is absent";
  Tally tally;
  size_t files = 0;
  for (const auto& item : fs::directory_iterator(folder)) {
    const std::string path = item.path().string();
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (item.path().extension() != ".mdb" || bytes.size() < 4096 || bytes[0x14] != 1) continue;
    const std::string name = item.path().filename().string();
    const bool password = name.find("with-password") != std::string::npos;
    jet::Database db = jet::Database::OpenMemory(name, bytes, password ? "password" : "");
    CompareTextEntries(db, name, &tally);
    ++files;
  }
  std::string list;
  for (const std::string& m : tally.mismatches) list += m + "\n";
  EXPECT_TRUE(tally.mismatches.empty()) << list;
  EXPECT_EQ(tally.not_computed, 0u);
  // 475 entries in 14 files when this was written; fewer means the files changed or went missing.
  EXPECT_GE(tally.entries, 475u);
  std::cout << "text index entries compared: " << tally.entries << " in " << files << " files\n";
}

jet::TableDef OneTextColumn(uint16_t collation = 1033) {
  jet::TableDef def;
  jet::Column c;
  c.name = "Name";
  c.type = jet::kTypeText;
  c.number = 0;
  c.length = 510;
  c.collation = collation;
  def.columns.push_back(c);
  return def;
}

jet::RealIndex OnName(bool ascending) {
  jet::RealIndex index;
  jet::IndexColumn ic;
  ic.column_number = 0;
  ic.name = "Name";
  ic.ascending = ascending;
  index.columns.push_back(ic);
  return index;
}

std::optional<std::string> KeyFor(const jet::Value& v, bool ascending = true,
                                  uint16_t collation = 1033) {
  return jet::EncodeIndexKey(OneTextColumn(collation), OnName(ascending), {v});
}

TEST(EncodeIndexKey, TextSegmentsAscendingDescendingAndNull) {
  EXPECT_EQ(KeyFor(std::string("ab")), std::string("\x7F\x4A\x4C\x01\x00", 5));
  // Descending: the ascending bytes, their final 0x00 included, inverted, then 0x00.
  EXPECT_EQ(KeyFor(std::string("ab"), false), std::string("\x80\xB5\xB3\xFE\xFF\x00", 6));
  EXPECT_EQ(KeyFor(jet::Value{}), std::string("\x00", 1));
  EXPECT_EQ(KeyFor(jet::Value{}, false), std::string("\xFF", 1));
  // Beyond Latin-1 too: "Мир" as testUnicodeCompV2003.mdb holds it.
  EXPECT_EQ(KeyFor(std::string("Мир")), std::string("\x7F\x79\x43\x79\x3B\x79\x48\x01\x00", 9));
}

TEST(EncodeIndexKey, RefusesWhatItCannotKey) {
  EXPECT_FALSE(KeyFor(std::string("a\U0001F600")));
  EXPECT_FALSE(KeyFor(std::string("a\U0001F600"), false));
  EXPECT_FALSE(KeyFor(std::string("ab"), true, 1036));  // another sort order
  EXPECT_FALSE(KeyFor(int64_t{3}));                     // not a text
}

}  // namespace
