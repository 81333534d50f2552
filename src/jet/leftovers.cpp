#include "jet/leftovers.h"

#include <set>

#include "jet/catalogue.h"
#include "jet/drop_table.h"
#include "jet/index_edit.h"
#include "jet/index_page.h"
#include "jet/page_allocator.h"
#include "jet/row_removal.h"
#include "jet/write_guard.h"

namespace jet {
namespace {

bool IsTableObject(const Value& type) {
  const std::optional<int64_t> t = IntegerValue(type);
  return t == kObjectTable || t == kObjectOdbcLink || t == kObjectAccessLink;
}

// The positions in def.real_indexes of the logical index named `name`.
std::optional<size_t> IndexNamed(const TableDef& def, const char* name) {
  for (const Index& index : def.indexes) {
    if (index.name == name && index.real_index < def.real_indexes.size()) return index.real_index;
  }
  return std::nullopt;
}

// What the catalogue's name index reaches, and what it does not.
struct CatalogueState {
  std::set<int64_t> live_ids;
  std::vector<FoundRow> unreachable;  // table and link rows without a name entry
};

CatalogueState ReadCatalogueState(PageCache& cache, const std::shared_ptr<const TableDef>& def,
                                  const std::string& file) {
  CatalogueState state;
  const std::optional<size_t> by_name = IndexNamed(*def, "ParentIdName");
  if (!by_name) throw Error(file + ": the catalogue lacks its ParentIdName index");
  std::set<uint32_t> named;
  for (const IndexEntry& e : ReadIndexTree(cache, def->real_indexes[*by_name], def->page).entries)
    named.insert(e.row.Word());
  const int id = ColumnPosition(*def, "Id", "MSysObjects", file);
  const int type = ColumnPosition(*def, "Type", "MSysObjects", file);
  for (FoundRow& row : FindRows(cache, def, [](const std::vector<Value>&) { return true; })) {
    const std::optional<int64_t> row_id = IntegerValue(row.values[id]);
    if (named.count(row.where.Word()) != 0) {
      if (row_id) state.live_ids.insert(*row_id);
    } else if (IsTableObject(row.values[type])) {
      state.unreachable.push_back(std::move(row));
    }
  }
  return state;
}

// The pages of the unreachable rows' structures that no live table shares.
std::set<PageNumber> StructurePages(Database& db, PageCache& cache,
                                    const std::shared_ptr<const TableDef>& catalogue,
                                    const std::vector<FoundRow>& rows) {
  const int id = ColumnPosition(*catalogue, "Id", "MSysObjects", db.file_name());
  std::set<PageNumber> live_defs;
  for (const CatalogueEntry& entry : db.Tables()) live_defs.insert(entry.table_def);
  std::set<PageNumber> pages;
  for (const FoundRow& row : rows) {
    // A table's Id is its structure's first page.
    const std::optional<int64_t> first = IntegerValue(row.values[id]);
    if (!first || *first <= kCataloguePage || *first >= cache.page_count() ||
        live_defs.count(static_cast<PageNumber>(*first)) != 0 ||
        cache.Read(static_cast<PageNumber>(*first))->type() != kPageTableDef) {
      continue;
    }
    try {
      for (PageNumber p : TablePages(cache, static_cast<PageNumber>(*first))) pages.insert(p);
    } catch (const Error&) {
      // A structure cut short before its first page was whole: its pages stay leaked, as
      // compacting reclaims them.
    }
  }
  return pages;
}

}  // namespace

size_t RemoveLeftovers(Database& db) {
  PageCache& cache = db.cache();
  const std::string& file = db.file_name();
  auto catalogue = std::make_shared<const TableDef>(ReadTableDef(cache, kCataloguePage));
  const CatalogueState state = ReadCatalogueState(cache, catalogue, file);

  std::shared_ptr<const TableDef> aces;
  std::vector<FoundRow> orphan_aces;
  if (const CatalogueEntry* ace_table = db.FindTable("MSysACEs")) {
    aces = std::make_shared<const TableDef>(ReadTableDef(cache, ace_table->table_def));
    const int object = ColumnPosition(*aces, "ObjectId", "MSysACEs", file);
    orphan_aces = FindRows(cache, aces, [&](const std::vector<Value>& v) {
      const std::optional<int64_t> id = IntegerValue(v[object]);
      return id && state.live_ids.count(*id) == 0;
    });
  }
  if (state.unreachable.empty() && orphan_aces.empty()) return 0;

  WriteGuard guard(db);
  VerifyEntries(cache, *catalogue, state.unreachable, "MSysObjects");
  if (aces) VerifyEntries(cache, *aces, orphan_aces, "MSysACEs");
  const std::set<PageNumber> pages = StructurePages(db, cache, catalogue, state.unreachable);
  RunWriteSteps(db, [&] {
    // The permissions first, as DROP takes them: their objects are gone already.
    if (aces) {
      RemoveEntries(cache, *aces, AllIndexes(*aces), orphan_aces);
      DeleteRows(cache, *aces, orphan_aces);
    }
    RemoveEntries(cache, *catalogue, AllIndexes(*catalogue), state.unreachable);
    DeleteRows(cache, *catalogue, state.unreachable);
    FreePages(cache, pages);
    cache.Flush();
  });
  return orphan_aces.size() + state.unreachable.size();
}

}  // namespace jet
