#include "jet/check.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

#include "base/hex.h"
#include "jet/byte_order.h"
#include "jet/catalogue.h"
#include "jet/check_parts.h"
#include "jet/data_page.h"
#include "jet/page_allocator.h"
#include "jet/index_key.h"
#include "jet/index_page.h"
#include "jet/table_cursor.h"
#include "jet/usage_map.h"

namespace jet {
namespace {


std::string Pointer(RowPointer p) {
  return "page " + std::to_string(p.page) + " slot " + std::to_string(p.row);
}

// One table's rows as the indexes must see them.
struct IndexedRow {
  RowPointer where;
  std::vector<std::optional<std::string>> keys;  // per real index; nothing: not computable
  std::vector<bool> null_keys;                   // per real index
};

class Checker {
 public:
  explicit Checker(Database& db) : db_(db), cache_(db.cache()) {}

  CheckReport Run() {
    Use(0, "the header");
    Use(kGlobalMapPage, "the global usage map");
    std::map<PageNumber, std::string> seen;
    std::vector<std::pair<std::string, PageNumber>> tables;
    for (const CatalogueEntry& e : db_.Tables()) {
      if (e.table_def == 0) continue;
      auto [first, added] = seen.emplace(e.table_def, e.name);
      if (added) {
        tables.emplace_back(e.name, e.table_def);
      } else {  // a damaged Id: one of the two tables has lost its definition
        report_.errors.push_back(
            "table " + e.name + ": the catalogue gives it the definition at page " +
            std::to_string(e.table_def) + ", which is table " + first->second + "'s");
      }
    }
    if (seen.count(kCataloguePage) == 0) tables.emplace_back("MSysObjects", kCataloguePage);
    // The catalogue first: what it leaves unreachable decides about the permission rows.
    std::stable_partition(tables.begin(), tables.end(),
                          [](const auto& t) { return t.second == kCataloguePage; });
    for (const auto& [name, page] : tables) {
      try {
        CheckTable(name, page);
      } catch (const Error& e) {
        report_.errors.push_back("table " + name + ": " + e.what());
      }
    }
    CheckGlobalMap(cache_, used_, &report_);
    return std::move(report_);
  }

 private:
  void Use(PageNumber page, const std::string& what) { used_.emplace(page, what); }

  // Ids of the catalogue's rows, and of those no name lookup reaches.
  std::set<int64_t> live_ids_;
  std::set<int64_t> unreachable_ids_;
  bool catalogue_seen_ = false;

  void UseMapHolder(RowPointer map, const std::string& table) {
    if (map.IsNull()) return;
    Use(map.page, "usage maps of " + table);
    CheckMapRow(cache_, map, table, &report_);
  }

  // A reference map's bitmap pages (the pages themselves are judged through the owner's map).
  void UseBitmapPages(RowPointer map_row, const std::string& table) {
    if (map_row.IsNull()) return;
    const UsageMap map = UsageMap::Load(cache_, map_row);
    for (PageNumber holder : map.bitmap_pages()) {
      if (holder != 0) Use(holder, "usage maps of " + table);
    }
  }

  void CheckTable(const std::string& name, PageNumber first) {
    ++report_.tables;
    for (PageNumber page = first, hops = 0; page != 0 && page < cache_.page_count() && hops < 256;
         ++hops) {
      Use(page, "definition of " + name);
      page = LoadU32(cache_.Read(page)->data() + 4);
    }
    auto def = std::make_shared<const TableDef>(ReadTableDef(cache_, first));
    const std::string table = (def->system ? "system table " : "table ") + name;
    CheckColumns(*def, table, &report_);
    if (first == kCataloguePage) CheckCatalogueDefinition(*def, &report_);
    UseMapHolder(def->owned_pages, table);
    UseMapHolder(def->free_space, table);
    UseBitmapPages(def->free_space, name);
    for (const LongValueMaps& lv : def->long_value_maps) {
      UseMapHolder(lv.owned_pages, table);
      UseMapHolder(lv.free_space, table);
      UseBitmapPages(lv.free_space, name);
      const std::string what = table + ": long values";
      CheckFreeSpaceMap(cache_, lv.free_space, UseOwnedPages(lv.owned_pages, first, what, nullptr),
                        what, &report_);
    }
    DataPageCheck data_pages(table, &report_);
    CheckFreeSpaceMap(cache_, def->free_space,
                      UseOwnedPages(def->owned_pages, first, table, &data_pages), table, &report_);

    std::vector<IndexedRow> rows;
    // (row, Id) of the catalogue's rows, (row, ObjectId) of a permission table's rows.
    std::vector<std::pair<uint32_t, int64_t>> cursor_ids;
    const int id_column = def->ColumnIndex(first == kCataloguePage ? "Id" : "ObjectId");
    TableCursor cursor(cache_, def);
    RowValueCheck values(cache_, *def, &report_);
    try {
      while (cursor.Next()) {
        IndexedRow row;
        row.where = RowPointer{cursor.page(), static_cast<uint8_t>(cursor.slot())};
        values.Row(cursor.row_data(), cursor.row_length(), cursor.row_page(),
                   table + ": row " + Pointer(row.where));
        if (def->system && id_column >= 0) {
          const Value& v = cursor.values()[size_t(id_column)];
          if (const int64_t* id = std::get_if<int64_t>(&v))
            cursor_ids.emplace_back(row.where.Word(), *id);
        }
        for (const RealIndex& index : def->real_indexes) {
          row.keys.push_back(EncodeIndexKey(*def, index, cursor.values()));
          row.null_keys.push_back(KeyIsNull(*def, index, cursor.values()));
        }
        rows.push_back(std::move(row));
      }
    } catch (const Error& e) {
      report_.errors.push_back(table + ": rows cannot be read: " + e.what());
      return;
    }
    data_pages.Finish(rows.size(), def->row_count);
    if (rows.size() != def->row_count) {
      std::string text = table + ": the definition counts " + std::to_string(def->row_count) +
                         " rows, the table holds " + std::to_string(rows.size());
      (def->system ? report_.warnings : report_.errors).push_back(text);
    }
    const std::set<uint32_t> leftovers = Leftovers(*def, first, cursor_ids);
    for (size_t i = 0; i < def->real_indexes.size(); ++i) {
      UseMapHolder(def->real_indexes[i].usage_map, table);
      CheckIndex(*def, table, i, rows, leftovers);
    }
  }

  // Rows that a removal stopped part way leaves behind, which no lookup reaches any more. A DROP
  // takes a table's name entry (ParentIdName) first, so a catalogue row without one is no longer
  // found by name; the permission rows of an object that is unreachable or gone follow it. Their
  // missing index entries are leftovers of that kind, not damage: DROP finishes them.
  std::set<uint32_t> Leftovers(const TableDef& def, PageNumber first,
                               const std::vector<std::pair<uint32_t, int64_t>>& ids) {
    std::set<uint32_t> out;
    if (first == kCataloguePage) {
      std::set<uint32_t> named;
      for (const Index& index : def.indexes) {
        if (index.name != "ParentIdName") continue;
        try {
          for (const IndexEntry& e : ReadIndexTree(cache_, def.real_indexes[index.real_index], first).entries)
            named.insert(e.row.Word());
        } catch (const Error&) {
          return out;  // the index itself is reported as damaged
        }
        for (const auto& [row, id] : ids) {
          live_ids_.insert(id);
          if (named.count(row) == 0) {
            out.insert(row);
            unreachable_ids_.insert(id);
          }
        }
        catalogue_seen_ = true;
      }
    } else if (def.system && def.ColumnIndex("ObjectId") >= 0 && catalogue_seen_) {
      for (const auto& [row, object] : ids)
        if (unreachable_ids_.count(object) != 0 || live_ids_.count(object) == 0) out.insert(row);
    }
    return out;
  }

  // Marks the pages of an owned-pages map, which must all be this table's data pages (`rows`
  // given) or long-value pages: every reader takes them for such. Returns the pages.
  std::set<PageNumber> UseOwnedPages(RowPointer map_row, PageNumber table_def,
                                     const std::string& what, DataPageCheck* rows) {
    std::set<PageNumber> pages;
    if (map_row.IsNull()) return pages;
    UsageMap map = UsageMap::Load(cache_, map_row);
    for (PageNumber holder : map.bitmap_pages()) {
      if (holder != 0) Use(holder, what + ": page map");
    }
    for (std::optional<PageNumber> p = map.NextPage(0); p; p = map.NextPage(*p + 1)) {
      PageRef page = cache_.Read(*p);
      // Long-value pages carry "LVAL" where data pages name their table.
      const bool ours = page->type() == kPageData &&
                        (rows != nullptr ? DataPageOwner(*page) == table_def
                                         : DataPageOwner(*page) == kLongValueOwner);
      if (!ours) {
        report_.errors.push_back(what + ": its page map lists page " + std::to_string(*p) +
                                 ", which is not one of its " +
                                 (rows != nullptr ? "data pages" : "long-value pages"));
        continue;
      }
      pages.insert(*p);
      Use(*p, what);
      if (rows != nullptr) rows->AddPage(*page);
    }
    return pages;
  }

  std::string IndexName(const TableDef& def, size_t real) const {
    std::string names;
    for (const Index& index : def.indexes) {
      if (index.real_index != real) continue;
      names += names.empty() ? index.name : "/" + index.name;
    }
    if (names.empty()) names.append("#").append(std::to_string(real));
    return names;
  }

  void CheckIndex(const TableDef& def, const std::string& table, size_t real,
                  const std::vector<IndexedRow>& rows, const std::set<uint32_t>& leftovers) {
    ++report_.indexes;
    const RealIndex& index = def.real_indexes[real];
    const std::string where = table + ": index " + IndexName(def, real);
    IndexTree tree;
    try {
      tree = ReadIndexTree(cache_, index, def.page);
    } catch (const Error& e) {
      report_.errors.push_back(where + ": " + e.what());
      return;
    }
    CheckIndexPages(cache_, tree, where, &report_);
    std::set<PageNumber> map_pages;
    try {
      UsageMap map = UsageMap::Load(cache_, index.usage_map);
      for (PageNumber holder : map.bitmap_pages()) {
        if (holder != 0) Use(holder, where + ": page map");
      }
      for (std::optional<PageNumber> p = map.NextPage(0); p; p = map.NextPage(*p + 1)) {
        map_pages.insert(*p);
      }
    } catch (const Error& e) {
      report_.errors.push_back(where + ": its page map cannot be read: " + e.what());
    }
    for (PageNumber p : tree.pages) {
      Use(p, where);
      if (map_pages.count(p) == 0) {
        report_.errors.push_back(where + ": page " + std::to_string(p) +
                                 " of the tree is missing from the index's page map");
      }
    }

    std::unordered_map<uint32_t, size_t> by_pointer;
    for (size_t i = 0; i < rows.size(); ++i) by_pointer.emplace(rows[i].where.Word(), i);
    std::vector<bool> found(rows.size(), false);
    const bool ignore_nulls = (index.flags & 0x02) != 0;
    for (size_t i = 0; i < tree.entries.size(); ++i) {
      const IndexEntry& e = tree.entries[i];
      if (i > 0 && !(tree.entries[i - 1].bytes < e.bytes)) {
        report_.errors.push_back(where + ": entry for row " + Pointer(e.row) +
                                 " is out of key order (after the entry for row " +
                                 Pointer(tree.entries[i - 1].row) + ")");
      }
      auto row = by_pointer.find(e.row.Word());
      if (row == by_pointer.end()) {
        report_.errors.push_back(where + ": entry for row " + Pointer(e.row) +
                                 ", which is not a live row of the table");
        continue;
      }
      if (found[row->second]) {
        report_.errors.push_back(where + ": row " + Pointer(e.row) + " has two entries");
      }
      found[row->second] = true;
      const std::optional<std::string>& key = rows[row->second].keys[real];
      if (key && *key != e.key()) {
        report_.errors.push_back(where + ": entry for row " + Pointer(e.row) + " has key " +
                                 base::SpacedHex(e.key()) + ", the row's values give " +
                                 base::SpacedHex(*key));
      }
    }
    for (size_t i = 0; i < rows.size(); ++i) {
      if (found[i] && real == 0 && def.page != kCataloguePage &&
          leftovers.count(rows[i].where.Word()) != 0) {
        // Found by its index or not, a permission row of an object that is gone protects
        // nothing: what a stopped link or drop leaves, which the next relink removes.
        report_.unreachable_rows.push_back(where + ": row " + Pointer(rows[i].where) +
                                           " gives permissions on an object the catalogue does "
                                           "not name");
      }
      if (found[i] || (ignore_nulls && rows[i].null_keys[real])) continue;
      const std::string text = where + ": row " + Pointer(rows[i].where) + " has no entry in the index";
      if (leftovers.count(rows[i].where.Word()) != 0) {
        report_.unreachable_rows.push_back(text);
      } else {
        report_.errors.push_back(text);
      }
    }
  }

  Database& db_;
  PageCache& cache_;
  CheckReport report_;
  std::map<PageNumber, std::string> used_;
};

}  // namespace

CheckReport CheckDatabase(Database& db) { return Checker(db).Run(); }

}  // namespace jet
