// DROP TABLE on copies of the sample and of files Access wrote: what goes, what stays readable
// (by us and by mdbtools), what is refused without a byte changing, and what a write stopped at
// any page leaves behind.
#include "jet/drop_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "jet/byte_order.h"
#include "jet/check.h"
#include "jet/header.h"
#include "jet/text.h"
#include "support/test_env.h"
#include "support/test_files.h"
#include "write_checks.h"

namespace {

namespace fs = std::filesystem;

using testenv::CopyToScratch;
using testenv::FileBytes;
using testenv::HaveMdbTools;
using testenv::MdbReaderDir;
using testenv::MdbReaderTables;
using testenv::RunCommand;
using testenv::WriteBytes;

using writetest::Joined;
using writetest::RowCounts;

// After a drop: the table is gone for us and for mdbtools, every other table reads as before,
// the check passes and the table's pages are free.
void ExpectDropped(const std::string& path, const std::string& password, const std::string& table,
                   std::map<std::string, size_t> before, const std::string& original = "") {
  if (!original.empty() && !MdbReaderDir().empty()) {
    // mdb-reader reads every table it read before, with the same rows.
    std::map<std::string, std::string> was = MdbReaderTables(original, password);
    std::map<std::string, std::string> now = MdbReaderTables(path, password);
    EXPECT_EQ(now.count(table), 0u);
    for (const auto& [name, rows] : was) {
      if (name == table || name == "MSysObjects" || name == "MSysACEs") continue;
      EXPECT_EQ(now[name], rows) << "mdb-reader, table " << name;
    }
    EXPECT_NE(now["MSysObjects"], "error");
  }
  jet::Database db = jet::Database::Open(path, password);
  EXPECT_EQ(db.FindTable(table), nullptr);
  jet::CheckReport report = jet::CheckDatabase(db);
  EXPECT_TRUE(report.ok()) << Joined(report.errors);
  std::map<std::string, size_t> after = RowCounts(db);
  for (auto it = before.begin(); it != before.end();) {
    if (jet::NamesEqual(it->first, table)) {
      it = before.erase(it);
    } else {
      ++it;
    }
  }
  // MSysObjects and MSysACEs lose rows; every other table keeps its own.
  for (const auto& [name, rows] : before) {
    if (name == "MSysObjects" || name == "MSysACEs") continue;
    EXPECT_EQ(after[name], rows) << name;
  }
  EXPECT_LT(after["MSysObjects"], before["MSysObjects"]);

  if (!HaveMdbTools()) return;
  int status = 0;
  const std::string listed = RunCommand("mdb-tables -1 '" + path + "'", &status);
  EXPECT_EQ(status, 0) << listed;
  EXPECT_EQ(("\n" + listed).find("\n" + table + "\n"), std::string::npos) << listed;
  for (const auto& [name, rows] : after) {
    RunCommand("mdb-export '" + path + "' '" + name + "' > /dev/null", &status);
    EXPECT_EQ(status, 0) << "mdb-export " << name;
    if (name.rfind("MSys", 0) != 0) {
      const std::string counted = RunCommand("mdb-count '" + path + "' '" + name + "'", &status);
      EXPECT_EQ(counted, std::to_string(rows) + "\n") << "mdb-count " << name;
    }
  }
  const std::string catalogue = RunCommand("mdb-export '" + path + "' MSysObjects", &status);
  EXPECT_EQ(catalogue.find("\"" + table + "\""), std::string::npos);
}

TEST(DropTable, DropsALocalTableWithItsRowsIndexesPermissionsAndPages) {
  const std::string path = CopyToScratch(testenv::FixturePath("velda_sample.mdb"), "drop_local");
  std::map<std::string, size_t> before;
  std::vector<jet::PageNumber> owned;
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    before = RowCounts(db);
    ASSERT_GT(before["tblEmployee"], 0u);
    jet::DropTable(db, "TBLEMPLOYEE");  // names compare as Jet compares them
    EXPECT_EQ(db.FindTable("tblEmployee"), nullptr) << "the open database sees the drop";
    EXPECT_NE(db.FindTable("W_Temp"), nullptr);
  }
  ExpectDropped(path, "qarnivel", "tblEmployee", before, testenv::FixturePath("velda_sample.mdb"));
  EXPECT_FALSE(fs::exists(fs::path(path).replace_extension(".ldb"))) << "lock file removed";

  // Its pages are free now; none is left lost.
  jet::Database db = jet::Database::Open(path, "qarnivel");
  jet::CheckReport report = jet::CheckDatabase(db);
  jet::Database original =
      jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), "qarnivel");
  const jet::PageNumber tdef = original.GetTableDef("tblEmployee").page;
  EXPECT_TRUE(report.unreachable_pages.empty()) << "every page of the table was freed";
  jet::PageRef map = db.cache().Read(1);
  const uint8_t* row = map->data() + (jet::LoadU16(map->data() + 14) & 0x1FFF);
  const jet::PageNumber start = jet::LoadU32(row + 1);
  ASSERT_GE(tdef, start);
  EXPECT_TRUE((row[5 + (tdef - start) / 8] >> ((tdef - start) % 8)) & 1) << "TDEF page free";
}

// The sample has no link of its own: W_Temp's catalogue row is made a link to another Access file
// (Type 6) by hand. Its old pages then belong to nobody and stay unreachable, not free.
TEST(DropTable, DropsALinkedTable) {
  const std::string path = CopyToScratch(testenv::FixturePath("velda_sample.mdb"), "drop_linked");
  {
    std::string bytes = FileBytes(path);
    jet::Database db = jet::Database::OpenMemory("VELDA.mdb", bytes, "qarnivel");
    jet::TableCursor rows = db.OpenTable("MSysObjects");
    const int name = rows.def().ColumnIndex("Name");
    const jet::Column& type = *rows.def().FindColumn("Type");
    while (rows.Next()) {
      if (std::get<std::string>(rows[name]) != "W_Temp") continue;
      const size_t page = size_t{rows.page()} * jet::kPageSize;
      const uint16_t slot =
          jet::LoadU16(reinterpret_cast<const uint8_t*>(&bytes[page + 14 + 2 * rows.slot()]));
      bytes[page + (slot & 0x1FFF) + 2 + type.fixed_offset] = 6;
    }
    WriteBytes(path, bytes);
  }
  std::map<std::string, size_t> before;
  {
    jet::Database db = jet::Database::Open(path, "qarnivel");
    ASSERT_EQ(db.FindTable("W_Temp")->kind, jet::TableKind::kLinkedAccess);
    before = RowCounts(db);
    jet::DropTable(db, "w_temp");
  }
  ExpectDropped(path, "qarnivel", "W_Temp", before, testenv::FixturePath("velda_sample.mdb"));
}

TEST(DropTable, RefusesWithoutWritingAByte) {
  const std::string path = CopyToScratch(testenv::FixturePath("velda_sample.mdb"), "drop_refused");
  const std::string original = FileBytes(path);
  auto refusal = [&](const std::string& name) {
    try {
      jet::Database db = jet::Database::Open(path, "qarnivel");
      jet::DropTable(db, name);
    } catch (const jet::Error& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_NE(refusal("tblNoSuchTable").find("table 'tblNoSuchTable' does not exist"),
            std::string::npos);
  EXPECT_NE(refusal("MSysObjects").find("'MSysObjects' is a system table"), std::string::npos);
  EXPECT_NE(refusal("msysaces").find("is a system table"), std::string::npos);

  const std::string ldb = fs::path(path).replace_extension(".ldb").string();
  {
    testenv::HeldLock access(ldb);
    EXPECT_NE(refusal("tblEmployee")
                  .find("the database is open in Access (its lock file "
                        "velda_sample.ldb is in use)"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(ldb)) << "someone else's lock file stays";
  }
  fs::remove(ldb);

  // Another sort order in the header (masked bytes 0x6E..0x6F): French, 1036.
  std::string french = original;
  const uint16_t lcid = 1036;
  french[0x6E] = static_cast<char>((lcid & 0xFF) ^ jet::HeaderMask()[0x6E - 0x18]);
  french[0x6F] = static_cast<char>((lcid >> 8) ^ jet::HeaderMask()[0x6F - 0x18]);
  WriteBytes(path, french);
  EXPECT_NE(refusal("tblEmployee").find("the database uses sort order 1036 version 0"),
            std::string::npos);
  EXPECT_TRUE(FileBytes(path) == french);
  WriteBytes(path, original);

  // A file held by another writer: its lock.
  EXPECT_TRUE(FileBytes(path) == original);
}

TEST(DropTable, RefusesATableInARelationship) {
  MDB_REQUIRE_SHARED();
  const std::string source = *testenv::SharedDir() + "/fixtures/real/indexTestV2000.mdb";
  if (!fs::exists(source)) GTEST_SKIP() << source << " is absent";
  const std::string path = CopyToScratch(source, "drop_related");
  const std::string original = FileBytes(path);
  jet::Database db = jet::Database::Open(path, "");
  std::set<std::string> related;
  {
    jet::TableCursor rows = db.OpenTable("MSysRelationships");
    const int object = rows.def().ColumnIndex("szObject");
    const int referenced = rows.def().ColumnIndex("szReferencedObject");
    while (rows.Next()) {
      related.insert(std::get<std::string>(rows[object]));
      related.insert(std::get<std::string>(rows[referenced]));
    }
  }
  ASSERT_FALSE(related.empty());
  for (const std::string& table : related) {
    if (db.FindTable(table)->kind == jet::TableKind::kSystem) continue;
    try {
      jet::DropTable(db, table);
      ADD_FAILURE() << table << " was dropped";
    } catch (const jet::Error& e) {
      EXPECT_NE(std::string(e.what()).find("table '" + table + "' takes part in relationship"),
                std::string::npos)
          << e.what();
    }
  }
  EXPECT_TRUE(FileBytes(path) == original);
}

// Files Access wrote: one local table each, and the rest still reads.
TEST(DropTable, DropsTablesOfFilesAccessWrote) {
  MDB_REQUIRE_SHARED();
  const std::string real = *testenv::SharedDir() + "/fixtures/real/";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"testIndexPropertiesV2000.mdb", "TableIgnoreNulls1"},
      {"testIndexPropertiesV2000.mdb", "TableUnique2_temp"},
      {"delColTestV2000.mdb", "Table1"},
      {"indexTestV2000.mdb", ""},  // the first table outside every relationship
  };
  for (const auto& [file, given] : cases) {
    if (!fs::exists(real + file)) continue;
    SCOPED_TRACE(file);
    const std::string path = CopyToScratch(real + file, "drop_real");
    std::string table = given;
    std::map<std::string, size_t> before;
    {
      jet::Database db = jet::Database::Open(path, "");
      before = RowCounts(db);
      if (table.empty()) {
        std::set<std::string> related;
        jet::TableCursor rows = db.OpenTable("MSysRelationships");
        while (rows.Next()) {
          related.insert(std::get<std::string>(rows[rows.def().ColumnIndex("szObject")]));
          related.insert(std::get<std::string>(rows[rows.def().ColumnIndex("szReferencedObject")]));
        }
        for (const jet::CatalogueEntry& e : db.Tables()) {
          if (e.kind == jet::TableKind::kLocal && related.count(e.name) == 0) table = e.name;
        }
        if (table.empty()) continue;
      }
      jet::DropTable(db, table);
    }
    ExpectDropped(path, "", table, before, real + file);
  }
}

// Stops a drop of `table` in a copy of `source` before each of its page writes in turn, as a
// crash would: the file opens, every table left reads, and the check finds nothing worse than
// unreachable rows (the dropped table's catalogue and permission rows, once its name entry is
// gone) and unreachable pages. Running the drop again finishes it.
void StopAtEveryWrite(const std::string& source, const std::string& password,
                      const std::string& table) {
  int writes = 0;
  {
    const std::string path = CopyToScratch(source, "drop_count");
    jet::Database db = jet::Database::Open(path, password);
    db.cache().SetWriteHook([&](jet::PageNumber) { ++writes; });
    jet::DropTable(db, table);
  }
  ASSERT_GE(writes, 6);  // two catalogue entries, a permission entry, rows + count, row, map
  for (int stop = 1; stop <= writes; ++stop) {
    SCOPED_TRACE("stopped before write " + std::to_string(stop));
    const std::string path = CopyToScratch(source, "drop_stop");
    {
      jet::Database db = jet::Database::Open(path, password);
      int count = 0;
      db.cache().SetWriteHook([&](jet::PageNumber) {
        if (++count == stop) throw jet::Error("simulated crash");
      });
      EXPECT_THROW(jet::DropTable(db, table), jet::Error);
    }
    EXPECT_FALSE(fs::exists(fs::path(path).replace_extension(".ldb")));
    jet::Database db = jet::Database::Open(path, password);
    RowCounts(db);  // every table left reads
    jet::CheckReport report = jet::CheckDatabase(db);
    // At worst unreachable rows and pages: never a broken catalogue or index.
    EXPECT_TRUE(report.ok()) << Joined(report.errors);
    for (const std::string& r : report.unreachable_rows) {
      const bool leftover = r.rfind("system table MSysObjects: index", 0) == 0 ||
                            r.rfind("system table MSysACEs: index", 0) == 0;
      EXPECT_TRUE(leftover) << r;
    }
    const bool gone = db.FindTable(table) == nullptr;
    if (gone) {
      // Stopped once the catalogue row was gone: the table's pages are lost, given to no one.
      EXPECT_FALSE(report.unreachable_pages.empty());
    } else {
      jet::DropTable(db, table);
    }
    jet::Database again = jet::Database::Open(path, password);
    EXPECT_EQ(again.FindTable(table), nullptr);
    report = jet::CheckDatabase(again);
    EXPECT_TRUE(report.ok()) << Joined(report.errors);
    if (!gone) {
      EXPECT_TRUE(report.unreachable_pages.empty()) << "the second drop frees every page";
    }
  }
}

TEST(DropTable, StoppedAtAnyPageWriteLeavesAFileThatOpensAndCanBeFinished) {
  StopAtEveryWrite(testenv::FixturePath("velda_sample.mdb"), "qarnivel", "tblEmployee");
  if (auto shared = testenv::SharedDir()) {
    const std::string real = *shared + "/fixtures/real/testIndexPropertiesV2000.mdb";
    if (fs::exists(real)) StopAtEveryWrite(real, "", "TableIgnoreNulls1");
  }
}

}  // namespace
