#include "jet/drop_table.h"

#include <algorithm>
#include <set>

#include "jet/byte_order.h"
#include "jet/index_edit.h"
#include "jet/row_removal.h"
#include "jet/index_key.h"
#include "jet/index_page.h"
#include "jet/page_allocator.h"
#include "jet/table_def_edit.h"
#include "jet/text.h"
#include "jet/usage_map.h"
#include "jet/write_guard.h"

namespace jet {
namespace {

// Refuses a table that takes part in a relationship (MSysRelationships): dropping it would leave
// the relationship pointing at nothing.
void RefuseRelated(Database& db, const std::string& table) {
  const CatalogueEntry* relations = db.FindTable("MSysRelationships");
  if (relations == nullptr) return;
  const std::string& file = db.file_name();
  auto def = std::make_shared<const TableDef>(ReadTableDef(db.cache(), relations->table_def));
  const int name_column = ColumnPosition(*def, "szRelationship", "MSysRelationships", file);
  const int object = ColumnPosition(*def, "szObject", "MSysRelationships", file);
  const int referenced = ColumnPosition(*def, "szReferencedObject", "MSysRelationships", file);
  std::vector<FoundRow> rows = FindRows(db.cache(), def, [&](const std::vector<Value>& v) {
    return NamesEqual(TextValue(v[object]), table) || NamesEqual(TextValue(v[referenced]), table);
  });
  if (!rows.empty()) {
    throw Error(file + ": table '" + table + "' takes part in relationship '" +
                TextValue(rows.front().values[name_column]) +
                "'; delete the relationship before the table");
  }
}

}  // namespace

std::set<PageNumber> TablePages(PageCache& cache, PageNumber first) {
  std::set<PageNumber> pages;
  const TableDef def = ReadTableDef(cache, first);
  for (PageNumber p = first; p != 0 && pages.size() < 256;) {
    pages.insert(p);
    p = LoadU32(cache.Read(p)->data() + 4);
  }
  auto add_map = [&](RowPointer map_row, bool long_values) {
    if (map_row.IsNull()) return;
    UsageMap map = UsageMap::Load(cache, map_row);
    for (PageNumber holder : map.bitmap_pages()) {
      if (holder != 0 && holder < cache.page_count() &&
          cache.Read(holder)->type() == kPageUsageMap) {
        pages.insert(holder);
      }
    }
    for (std::optional<PageNumber> p = map.NextPage(0); p; p = map.NextPage(*p + 1)) {
      PageRef page = cache.Read(*p);
      if (page->type() != kPageData) continue;
      const uint32_t owner = DataPageOwner(*page);
      const bool ours = owner == first || (long_values && owner == kLongValueOwner);
      if (ours) pages.insert(*p);
    }
  };
  add_map(def.owned_pages, false);
  add_map(def.free_space, false);
  std::set<uint32_t> map_rows = {def.owned_pages.Word(), def.free_space.Word()};
  for (const LongValueMaps& lv : def.long_value_maps) {
    add_map(lv.owned_pages, true);
    add_map(lv.free_space, true);
    map_rows.insert(lv.owned_pages.Word());
    map_rows.insert(lv.free_space.Word());
  }
  for (const RealIndex& index : def.real_indexes) {
    for (PageNumber p : ReadIndexTree(cache, index, first).pages) pages.insert(p);
    add_map(index.usage_map, false);  // for a reference map's bitmap pages
    map_rows.insert(index.usage_map.Word());
  }
  // A usage-map page is freed only when every row on it is one of this table's maps.
  std::set<PageNumber> holders;
  for (uint32_t row : map_rows) holders.insert(RowPointer::FromWord(row).page);
  for (PageNumber holder : holders) {
    if (holder <= kCataloguePage || holder >= cache.page_count()) continue;
    PageRef page = cache.Read(holder);
    if (page->type() != kPageData) continue;
    bool only_ours = true;
    const int slots = SlotCount(*page, cache);
    for (int s = 0; s < slots && only_ours; ++s) {
      if (ReadSlot(*page, s, cache).deleted) continue;
      // A row pointer names slots 0..255 only; a higher slot is no map row of ours.
      only_ours =
          s <= 0xFF && map_rows.count(RowPointer{holder, static_cast<uint8_t>(s)}.Word()) != 0;
    }
    if (only_ours) pages.insert(holder);
  }
  for (PageNumber fixed = 0; fixed <= kCataloguePage; ++fixed) pages.erase(fixed);
  return pages;
}

void DropTable(Database& db, std::string_view name) {
  PageCache& cache = db.cache();
  const std::string& file = db.file_name();
  const CatalogueEntry* found = db.FindTable(name);
  if (found == nullptr) {
    throw Error(file + ": table '" + std::string(name) + "' does not exist");
  }
  const CatalogueEntry entry = *found;
  if (entry.kind == TableKind::kSystem || (entry.flags & kSystemObjectFlags) != 0) {
    throw Error(file + ": '" + entry.name + "' is a system table; it cannot be dropped");
  }
  RefuseRelated(db, entry.name);

  WriteGuard guard(db);

  auto catalogue = std::make_shared<const TableDef>(ReadTableDef(cache, kCataloguePage));
  const int id = ColumnPosition(*catalogue, "Id", "MSysObjects", file);
  const int type = ColumnPosition(*catalogue, "Type", "MSysObjects", file);
  const int object_name = ColumnPosition(*catalogue, "Name", "MSysObjects", file);
  RequireWritableSortOrder(catalogue->columns[object_name], "MSysObjects.Name", file);
  std::vector<FoundRow> catalogue_rows =
      FindRows(cache, catalogue, [&](const std::vector<Value>& v) {
        return IntegerValue(v[id]) == entry.id && IntegerValue(v[type]) == entry.type &&
               NamesEqual(TextValue(v[object_name]), entry.name);
      });
  if (catalogue_rows.size() != 1) {
    throw Error(file + ": table '" + entry.name + "' has " + std::to_string(catalogue_rows.size()) +
                " catalogue rows; nothing was written");
  }
  VerifyEntries(cache, *catalogue, catalogue_rows, "MSysObjects");
  // ParentIdName first: Jet finds a table by its name through it, so the table is gone as soon
  // as that entry is.
  std::vector<size_t> catalogue_order = AllIndexes(*catalogue);
  std::stable_partition(catalogue_order.begin(), catalogue_order.end(), [&](size_t i) {
    for (const IndexColumn& c : catalogue->real_indexes[i].columns) {
      if (c.column_number == catalogue->columns[object_name].number) return true;
    }
    return false;
  });

  std::shared_ptr<const TableDef> aces;
  std::vector<FoundRow> ace_rows;
  if (const CatalogueEntry* ace_table = db.FindTable("MSysACEs")) {
    aces = std::make_shared<const TableDef>(ReadTableDef(cache, ace_table->table_def));
    const int object_id = ColumnPosition(*aces, "ObjectId", "MSysACEs", file);
    ace_rows = FindRows(cache, aces, [&](const std::vector<Value>& v) {
      return IntegerValue(v[object_id]) == entry.id;
    });
    VerifyEntries(cache, *aces, ace_rows, "MSysACEs");
  }

  std::set<PageNumber> pages;
  if (entry.table_def != 0) pages = TablePages(cache, entry.table_def);

  // From here on, each step is durable before the next.
  RunWriteSteps(db, [&] {
    RemoveEntries(cache, *catalogue, catalogue_order, catalogue_rows);
    if (aces) {
      RemoveEntries(cache, *aces, AllIndexes(*aces), ace_rows);
      DeleteRows(cache, *aces, ace_rows);
    }
    DeleteRows(cache, *catalogue, catalogue_rows);
    FreePages(cache, pages);
    cache.Flush();
  });
}

}  // namespace jet
