// Index entries inserted and removed on copies of the sample: trees that grow past one page stay
// exact (every row found, keys in order, pages in the index's map and in use), new keys are
// judged against the keys that stay, refusals write nothing, and a write stopped at any page
// leaves the old tree or the new one, never a broken one.
#include "jet/index_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "jet/append_rows.h"
#include "jet/byte_order.h"
#include "jet/check.h"
#include "jet/database.h"
#include "jet/index_page.h"
#include "jet/row.h"
#include "jet/usage_map.h"
#include "jet/write_guard.h"
#include "support/test_env.h"
#include "support/test_files.h"
#include "write_checks.h"

namespace {

namespace fs = std::filesystem;

using writetest::Joined;

std::string Scratch(const std::string& name) { return writetest::WritableVelda(name); }

// A row of tblEmployee added to the table (row count included), and its entry in each index.
struct AddedRow {
  jet::RowPointer where;
  std::vector<std::optional<jet::IndexEntry>> entries;  // per real index
};

// Adds employees with ids first_id.., codes and departments spread so that their keys arrive out
// of order; `code` may leave the code NULL. Rows only: no index entry is written.
std::vector<AddedRow> AddEmployees(jet::Database& db, int count, int first_id,
                                   const std::function<std::optional<std::string>(int)>& code) {
  const jet::TableDef def = db.GetTableDef("tblEmployee");
  jet::PageCache& cache = db.cache();
  std::vector<AddedRow> added;
  for (int i = 0; i < count; ++i) {
    const int spread = (i * 7919) % count;  // a permutation of 0..count-1 (count < 7919)
    std::vector<jet::Value> values(def.columns.size());
    values[def.ColumnIndex("EmpID")] = int64_t{first_id + spread};
    if (std::optional<std::string> c = code(spread)) values[def.ColumnIndex("EmpCode")] = *c;
    values[def.ColumnIndex("EmpName")] = std::string("Employee number ") + std::to_string(spread);
    values[def.ColumnIndex("DeptID")] = int64_t{spread % 13};
    values[def.ColumnIndex("Active")] = true;
    AddedRow row;
    row.where = jet::AppendRows(cache, def, {jet::EncodeRow(def, values)}, {}).front();
    for (const jet::RealIndex& index : def.real_indexes) {
      row.entries.push_back(jet::IndexEntryForRow(def, index, values, row.where));
    }
    added.push_back(std::move(row));
  }
  return added;
}

std::optional<std::string> Code(int n) { return "K" + std::to_string(100000 + n); }

std::vector<jet::IndexEntry> EntriesOf(const std::vector<AddedRow>& rows, size_t index,
                                       size_t from = 0, size_t to = SIZE_MAX) {
  std::vector<jet::IndexEntry> out;
  for (size_t i = from; i < std::min(to, rows.size()); ++i) {
    if (rows[i].entries[index]) out.push_back(*rows[i].entries[index]);
  }
  return out;
}

// Every page of every tree of tblEmployee is in its index's map and in use in the global map.
void ExpectTreesOwned(jet::Database& db) {
  const jet::TableDef& def = db.GetTableDef("tblEmployee");
  jet::PageRef global = db.cache().Read(1);
  const uint8_t* row = global->data() + (jet::LoadU16(global->data() + 14) & 0x1FFF);
  const jet::PageNumber start = jet::LoadU32(row + 1);
  for (const jet::RealIndex& index : def.real_indexes) {
    const jet::IndexTree tree = jet::ReadIndexTree(db.cache(), index, def.page);
    const jet::UsageMap map = jet::UsageMap::Load(db.cache(), index.usage_map);
    for (jet::PageNumber p : tree.pages) {
      EXPECT_EQ(map.NextPage(p), std::optional<jet::PageNumber>(p)) << "page " << p;
      const size_t bit = p - start;
      EXPECT_FALSE((row[5 + bit / 8] >> (bit % 8)) & 1) << "page " << p << " is marked free";
    }
  }
}

TEST(IndexInsert, GrowsTreesOverHundredsOfRowsInKeyOrder) {
  const std::string path = Scratch("index_insert_grow");
  std::vector<uint32_t> counts_before;
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::WriteGuard guard(db);
    for (const jet::RealIndex& r : db.GetTableDef("tblEmployee").real_indexes)
      counts_before.push_back(r.unique_entries);
    // Every 50th code NULL: a unique index takes NULL keys more than once.
    std::vector<AddedRow> rows =
        AddEmployees(db, 700, 5000, [](int n) { return n % 50 == 0 ? std::nullopt : Code(n); });
    const jet::TableDef def = db.GetTableDef("tblEmployee");
    // In batches, so that some land on leaves with room and others make the tree grow.
    for (size_t i = 0; i < def.real_indexes.size(); ++i) {
      for (size_t from = 0; from < rows.size(); from += 70) {
        jet::InsertIndexEntries(db.cache(), def.real_indexes[i], def.page,
                                EntriesOf(rows, i, from, from + 70));
      }
    }
    // One more on its own, far past every key: it lands on the last leaf, under the tail.
    std::vector<AddedRow> last =
        AddEmployees(db, 1, 900000, [](int) { return std::optional<std::string>("ZZZ"); });
    for (size_t i = 0; i < def.real_indexes.size(); ++i)
      jet::InsertIndexEntries(db.cache(), def.real_indexes[i], def.page, EntriesOf(last, i));
  }
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::CheckReport report = jet::CheckDatabase(db);
  EXPECT_TRUE(report.ok()) << Joined(report.errors);
  const jet::TableDef& def = db.GetTableDef("tblEmployee");
  EXPECT_EQ(def.row_count, 741u);
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    const jet::IndexTree tree = jet::ReadIndexTree(db.cache(), def.real_indexes[i], def.page);
    EXPECT_EQ(tree.entries.size(), 741u);
    EXPECT_TRUE(std::is_sorted(tree.entries.begin(), tree.entries.end(),
                               [](const auto& a, const auto& b) { return a.bytes < b.bytes; }));
    jet::PageRef root = db.cache().Read(def.real_indexes[i].root);
    EXPECT_EQ(root->type(), jet::kPageIndexNode) << "index " << i << " has a second level";
    EXPECT_GE(tree.leaves.size(), 2u);
  }
  ExpectTreesOwned(db);
  // Unique-entry counts: every id is new; 686 codes and "ZZZ" are new (employee 12 already has
  // no code, so the NULL key is not); departments 0..12 partly existed.
  EXPECT_EQ(def.real_indexes[0].unique_entries, counts_before[0] + 701);
  EXPECT_EQ(def.real_indexes[1].unique_entries, counts_before[1] + 687);
  EXPECT_GT(def.real_indexes[2].unique_entries, counts_before[2]);
  EXPECT_LE(def.real_indexes[2].unique_entries, counts_before[2] + 14);
}

TEST(IndexInsert, RefusesDuplicatesAndRowsAlreadyIndexedWithoutWriting) {
  const std::string path = Scratch("index_insert_refused");
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::WriteGuard guard(db);
  std::vector<AddedRow> rows = AddEmployees(db, 3, 7000, Code);
  const std::string before = testenv::FileBytes(path);
  const jet::TableDef def = db.GetTableDef("tblEmployee");
  const jet::RealIndex& codes = def.real_indexes[1];  // EmpCode, unique
  auto refusal = [&](std::vector<jet::IndexEntry> entries) {
    try {
      jet::InsertIndexEntries(db.cache(), codes, def.page, std::move(entries));
    } catch (const jet::Error& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  // Code "E0001" is already Alice's.
  std::vector<jet::Value> values(def.columns.size());
  values[def.ColumnIndex("EmpCode")] = std::string("e0001");  // keys ignore case
  jet::IndexEntry taken = *jet::IndexEntryForRow(def, codes, values, rows[0].where);
  EXPECT_NE(refusal({taken}).find("duplicate in unique index"), std::string::npos);
  // Two new rows with one new code between them.
  jet::IndexEntry second = *jet::IndexEntryForRow(def, codes, values, rows[1].where);
  second.bytes = rows[0].entries[1]->key() + second.bytes.substr(second.bytes.size() - 4);
  EXPECT_NE(refusal({*rows[0].entries[1], second}).find("duplicate in unique index"),
            std::string::npos);
  // Alice's row already has its entry.
  jet::IndexTree tree = jet::ReadIndexTree(db.cache(), codes, def.page);
  jet::IndexEntry again = tree.entries.front();
  again.bytes = rows[2].entries[1]->key() + again.bytes.substr(again.bytes.size() - 4);
  EXPECT_NE(refusal({again}).find("already holds an entry for the row"), std::string::npos);
  // An entry whose pointer bytes name another row than it says.
  jet::IndexEntry wrong = *rows[2].entries[1];
  wrong.row.row ^= 1;
  EXPECT_NE(refusal({wrong}).find("does not end in its row pointer"), std::string::npos);
  EXPECT_EQ(testenv::FileBytes(path), before) << "nothing was written";
}

TEST(CheckNewEntries, KeysOfRowsLeavingTheIndexAreFreeAndNullKeysMayRepeat) {
  const std::string path = Scratch("index_check_keys");
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::WriteGuard guard(db);
  std::vector<AddedRow> rows = AddEmployees(db, 2, 7100, Code);
  const jet::TableDef def = db.GetTableDef("tblEmployee");
  const jet::RealIndex& codes = def.real_indexes[1];  // EmpCode, unique
  const jet::IndexTree tree = jet::ReadIndexTree(db.cache(), codes, def.page);
  std::vector<jet::Value> values(def.columns.size());
  values[def.ColumnIndex("EmpCode")] = std::string("E0001");  // Alice's code, for a new row
  const jet::IndexEntry taken = *jet::IndexEntryForRow(def, codes, values, rows[0].where);
  const auto alice = std::find_if(tree.entries.begin(), tree.entries.end(),
                                  [&](const jet::IndexEntry& e) { return e.key() == taken.key(); });
  ASSERT_NE(alice, tree.entries.end());
  EXPECT_TRUE(jet::CheckNewEntries(db.cache(), codes, tree, {taken}).duplicate);
  // The same key once Alice's row gives up its entry (an update that changes her code).
  const jet::NewKeys freed =
      jet::CheckNewEntries(db.cache(), codes, tree, {taken}, {alice->row.Word()});
  EXPECT_FALSE(freed.duplicate);
  EXPECT_EQ(freed.count, 1u);
  // Two rows without a code: the all-NULL key repeats in a unique index, as Jet allows.
  values[def.ColumnIndex("EmpCode")] = std::monostate{};
  const jet::NewKeys nulls =
      jet::CheckNewEntries(db.cache(), codes, tree,
                           {*jet::IndexEntryForRow(def, codes, values, rows[0].where),
                            *jet::IndexEntryForRow(def, codes, values, rows[1].where)});
  EXPECT_FALSE(nulls.duplicate);
}

// Rows whose entries were held back: the check names exactly these as missing from the index.
std::vector<std::string> Unexpected(const jet::CheckReport& report,
                                    const std::vector<AddedRow>& held, size_t from) {
  std::set<std::string> allowed;
  for (size_t i = from; i < held.size(); ++i) {
    allowed.insert("table tblEmployee: index PrimaryKey: row page " +
                   std::to_string(held[i].where.page) + " slot " +
                   std::to_string(held[i].where.row) + " has no entry in the index");
  }
  std::vector<std::string> out;
  for (const std::string& e : report.errors)
    if (allowed.count(e) == 0) out.push_back(e);
  return out;
}

// Prepares a file with 500 indexed employees plus `held` more whose primary-key entries are
// not written yet; then stops the insertion of those entries at every page write in turn.
// Returns the number of page writes the whole insertion makes.
int StopAtEveryWrite(const std::string& name, int held) {
  const std::string prepared = Scratch(name);
  std::vector<AddedRow> rows;
  {
    jet::Database db = jet::Database::Open(prepared, "qarnivel");
    jet::WriteGuard guard(db);
    rows = AddEmployees(db, 500 + held, 10000, Code);
    const jet::TableDef def = db.GetTableDef("tblEmployee");
    for (size_t i = 0; i < def.real_indexes.size(); ++i) {
      jet::InsertIndexEntries(db.cache(), def.real_indexes[i], def.page,
                              EntriesOf(rows, i, 0, i == 0 ? 500 : SIZE_MAX));
    }
  }
  const std::vector<AddedRow> held_rows(rows.begin() + 500, rows.end());
  const std::vector<jet::IndexEntry> entries = EntriesOf(held_rows, 0);
  bool finished = false;
  int stop = 0;
  for (; !finished && stop < 200; ++stop) {
    const std::string path = testenv::ScratchDir(name + "_stop") + "/velda.mdb";
    fs::copy_file(prepared, path);
    {
      jet::Database db = jet::Database::Open(path, "qarnivel");
      jet::WriteGuard guard(db);
      int writes = 0;
      db.cache().SetWriteHook([&](jet::PageNumber) {
        if (writes++ == stop) throw jet::Error("stopped");
      });
      const jet::TableDef def = db.GetTableDef("tblEmployee");
      try {
        jet::InsertIndexEntries(db.cache(), def.real_indexes[0], def.page, entries);
        finished = true;
      } catch (const jet::Error& e) {
        EXPECT_EQ(std::string(e.what()), "stopped");
      }
    }
    jet::Database db = jet::Database::Open(path, "qarnivel");
    const jet::CheckReport report = jet::CheckDatabase(db);
    EXPECT_TRUE(Unexpected(report, held_rows, 0).empty())
        << "stopped at write " << stop << ":\n"
        << Joined(Unexpected(report, held_rows, 0));
    const jet::TableDef& def = db.GetTableDef("tblEmployee");
    const jet::IndexTree tree = jet::ReadIndexTree(db.cache(), def.real_indexes[0], def.page);
    EXPECT_GE(tree.entries.size(), 540u) << "stopped at write " << stop;
    if (finished) {
      EXPECT_TRUE(report.ok()) << Joined(report.errors);
      EXPECT_EQ(tree.entries.size(), 540u + held);
    }
  }
  EXPECT_TRUE(finished);
  return stop - 1;
}

TEST(IndexInsert, AStopAtAnyWriteOfAnInsertOnLeavesWithRoomLeavesASoundTree) {
  // Twelve ids past the others: one leaf and the raised bounds above it.
  EXPECT_GE(StopAtEveryWrite("index_insert_stop_leaf", 12), 1);
}

TEST(IndexInsert, AStopAtAnyWriteOfARebuildLeavesTheOldTreeOrTheNew) {
  // New pages, the map, the root, the old pages' map bits and free bits, the count.
  EXPECT_GE(StopAtEveryWrite("index_insert_stop_rebuild", 400), 6);
}

TEST(IndexRemove, EmptyingALeafRebuildsTheTreeWithoutTheEntries) {
  const std::string path = Scratch("index_remove_rebuild");
  std::vector<jet::RowPointer> removed;
  std::vector<AddedRow> rows;
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    jet::WriteGuard guard(db);
    rows = AddEmployees(db, 600, 20000, Code);
    const jet::TableDef def = db.GetTableDef("tblEmployee");
    jet::InsertIndexEntries(db.cache(), def.real_indexes[0], def.page, EntriesOf(rows, 0));
    jet::IndexTree tree = jet::ReadIndexTree(db.cache(), def.real_indexes[0], def.page);
    ASSERT_GE(tree.leaves.size(), 2u);
    // Every entry of the first leaf.
    const jet::IndexPage first =
        jet::DecodeIndexPage(*db.cache().Read(tree.leaves.front()), db.cache());
    for (const jet::IndexEntry& e : first.entries) removed.push_back(e.row);
    jet::RemoveIndexEntries(db.cache(), def.real_indexes[0], def.page, removed);
  }
  jet::Database db = jet::Database::Open(path, "qarnivel");
  const jet::TableDef& def = db.GetTableDef("tblEmployee");
  const jet::IndexTree tree = jet::ReadIndexTree(db.cache(), def.real_indexes[0], def.page);
  EXPECT_EQ(tree.entries.size(), 640u - removed.size());
  std::set<uint32_t> gone;
  for (jet::RowPointer r : removed) gone.insert(r.Word());
  for (const jet::IndexEntry& e : tree.entries) EXPECT_EQ(gone.count(e.row.Word()), 0u);
  // The check misses exactly the removed rows' entries (the rows stay), and the remaining
  // indexes are whole.
  const jet::CheckReport report = jet::CheckDatabase(db);
  size_t missing = 0;
  for (const std::string& e : report.errors) {
    if (e.find("index PrimaryKey: row page") != std::string::npos &&
        e.find("has no entry in the index") != std::string::npos) {
      ++missing;
    }
  }
  EXPECT_EQ(missing, removed.size()) << Joined(report.errors);
  ExpectTreesOwned(db);
}

}  // namespace
