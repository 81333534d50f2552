// The catalogue: which rows of MSysObjects are tables, of which kind.
#include "jet/catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/file.h"
#include "jet/table_def.h"
#include "support/test_env.h"

namespace {

const jet::CatalogueEntry* Find(const std::vector<jet::CatalogueEntry>& tables,
                                const std::string& name) {
  for (const jet::CatalogueEntry& t : tables) {
    if (t.name == name) return &t;
  }
  return nullptr;
}

TEST(Catalogue, SampleTablesInStoredOrderWithSystemTablesMarked) {
  jet::Database db = jet::Database::Open(testenv::FixturePath("velda_sample.mdb"), "qarnivel");
  std::vector<std::string> local, system;
  for (const jet::CatalogueEntry& t : db.Tables()) {
    (t.kind == jet::TableKind::kSystem ? system : local).push_back(t.name);
    EXPECT_EQ(t.type, 1);
    EXPECT_EQ(t.table_def, static_cast<jet::PageNumber>(t.id)) << "a table's Id is its TDEF page";
  }
  EXPECT_EQ(local,
            (std::vector<std::string>{"tblEmployee", "tblLeave_Header", "tblSchedule_Intelligent",
                                      "tblSystem_Parameter_A", "tblencrword", "TBLX", "Tbl_Shift",
                                      "W_Temp", "w_log", "Employees", "xtbl", "W"}));
  EXPECT_EQ(system.front(), "MSysObjects");
  for (size_t i = 0; i < db.Tables().size(); ++i) EXPECT_EQ(db.Tables()[i].stored_order, i);
  EXPECT_EQ(db.FindTable("msysobjects")->table_def, 2u);
  EXPECT_EQ(db.FindTable("tbl_shift")->name, "Tbl_Shift");
  EXPECT_EQ(db.FindTable("tblEmploye"), nullptr);
}

TEST(Catalogue, QueriesAreNotTables) {
  MDB_REQUIRE_SHARED();
  jet::Database db =
      jet::Database::Open(*testenv::SharedDir() + "/fixtures/real/queryTestV2000.mdb", "");
  int local = 0;
  for (const jet::CatalogueEntry& t : db.Tables()) local += t.kind == jet::TableKind::kLocal;
  EXPECT_EQ(local, 3);
}

// The only linked-table rows written by Access are in two .accdb files. The engine refuses to
// open those as databases, but their catalogue uses the Jet 4 page format, so the catalogue layer
// is checked on them directly.
std::vector<jet::CatalogueEntry> AccdbCatalogue(const std::string& name, jet::PageCache** cache_out,
                                                std::unique_ptr<jet::PageCache>* holder) {
  *holder = std::make_unique<jet::PageCache>(
      jet::PageFile::OpenReadOnly(*testenv::SharedDir() + "/fixtures/real/" + name));
  *cache_out = holder->get();
  return jet::ReadCatalogue(**cache_out);
}

TEST(Catalogue, OdbcLinkWithConnectForeignNameAndCachedDefinition) {
  MDB_REQUIRE_SHARED();
  jet::PageCache* cache;
  std::unique_ptr<jet::PageCache> holder;
  auto tables = AccdbCatalogue("odbcLinkerTestV2007.accdb", &cache, &holder);
  const jet::CatalogueEntry* link = Find(tables, "Ordrar");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->kind, jet::TableKind::kLinkedOdbc);
  EXPECT_EQ(link->type, 4);
  EXPECT_EQ(link->flags, 0x20100000u);
  EXPECT_EQ(link->connect.rfind("DSN=", 0), 0u) << "stored without the ODBC; prefix";
  EXPECT_NE(link->connect.find("APP=Microsoft Office"), std::string::npos);
  EXPECT_EQ(link->foreign_name, "dbo.Ordrar");
  EXPECT_EQ(link->table_def, 127u);
  jet::TableDef def = jet::ReadTableDef(*cache, link->table_def);
  EXPECT_EQ(def.columns.size(), 20u);
  EXPECT_EQ(def.indexes.size(), 5u);
  EXPECT_EQ(def.row_count, 0u);
  EXPECT_FALSE(def.FindColumn("ID")->updatable()) << "the remote identity column";
  ASSERT_NE(Find(tables, "Lokal"), nullptr);
  EXPECT_EQ(Find(tables, "Lokal")->kind, jet::TableKind::kLocal);
}

TEST(Catalogue, AccessLinkWithDatabasePathAndNoDefinition) {
  MDB_REQUIRE_SHARED();
  jet::PageCache* cache;
  std::unique_ptr<jet::PageCache> holder;
  auto tables = AccdbCatalogue("linkerTestV2007.accdb", &cache, &holder);
  const jet::CatalogueEntry* link = Find(tables, "Table2");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->kind, jet::TableKind::kLinkedAccess);
  EXPECT_EQ(link->database, "Z:\\jackcess_test\\linkeeTest.accdb");
  EXPECT_EQ(link->foreign_name, "Table1");
  EXPECT_LT(link->id, 0) << "synthetic id";
  EXPECT_EQ(link->table_def, 0u);
}

}  // namespace
