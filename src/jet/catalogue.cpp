#include "jet/catalogue.h"

#include <memory>
#include <optional>

#include "jet/error.h"
#include "jet/table_cursor.h"
#include "jet/table_def.h"
#include "jet/text.h"

namespace jet {
namespace {

enum Field { kId, kParentId, kName, kType, kFlags, kDatabase, kConnect, kForeignName, kFieldCount };
const char* const kFieldNames[kFieldCount] = {"Id",    "ParentId", "Name",    "Type",
                                              "Flags", "Database", "Connect", "ForeignName"};

struct Candidate {
  CatalogueEntry entry;
  int32_t parent_id;
};

}  // namespace

const char* KindName(TableKind kind) {
  switch (kind) {
    case TableKind::kLocal:
      return "local";
    case TableKind::kSystem:
      return "system";
    case TableKind::kLinkedOdbc:
      return "linked ODBC";
    case TableKind::kLinkedAccess:
      return "linked Access";
  }
  return "?";
}

std::vector<CatalogueEntry> ReadCatalogue(PageCache& cache) {
  auto def = std::make_shared<const TableDef>(ReadTableDef(cache, kCataloguePage));
  size_t position[kFieldCount];
  std::vector<bool> wanted(def->columns.size(), false);
  for (int f = 0; f < kFieldCount; ++f) {
    int index = def->ColumnIndex(kFieldNames[f]);
    if (index < 0) {
      throw Error(cache.file_name() + ": the catalogue (MSysObjects) has no column " +
                  kFieldNames[f]);
    }
    position[f] = static_cast<size_t>(index);
    wanted[position[f]] = true;
  }

  std::optional<int32_t> tables_container;
  std::vector<Candidate> candidates;
  TableCursor cursor(cache, def);
  cursor.SelectColumns(wanted);
  while (cursor.Next()) {
    const std::vector<Value>& v = cursor.values();
    std::optional<int64_t> id = IntegerValue(v[position[kId]]);
    std::optional<int64_t> parent = IntegerValue(v[position[kParentId]]);
    std::optional<int64_t> type = IntegerValue(v[position[kType]]);
    if (!id || !parent || !type) continue;
    std::string name = TextValue(v[position[kName]]);
    if (*parent == kRootContainers && NamesEqual(name, "Tables") && !tables_container) {
      tables_container = static_cast<int32_t>(*id);
    }
    if (*type != kObjectTable && *type != kObjectOdbcLink && *type != kObjectAccessLink) continue;
    Candidate c;
    c.parent_id = static_cast<int32_t>(*parent);
    CatalogueEntry& e = c.entry;
    e.name = std::move(name);
    e.id = static_cast<int32_t>(*id);
    e.type = static_cast<int16_t>(*type);
    e.flags = static_cast<uint32_t>(IntegerValue(v[position[kFlags]]).value_or(0));
    e.connect = TextValue(v[position[kConnect]]);
    e.foreign_name = TextValue(v[position[kForeignName]]);
    e.database = TextValue(v[position[kDatabase]]);
    if (e.type == kObjectTable) {
      e.kind = (e.flags & kSystemObjectFlags) != 0 ? TableKind::kSystem : TableKind::kLocal;
      if (e.id <= 0) {
        throw Error(cache.file_name() + ": the catalogue gives table " + e.name + " the id " +
                    std::to_string(e.id) + ", not a page number");
      }
      e.table_def = static_cast<PageNumber>(e.id);
    } else if (e.type == kObjectOdbcLink) {
      e.kind = TableKind::kLinkedOdbc;
      if (e.id > 0) e.table_def = static_cast<PageNumber>(e.id);  // the cached remote structure
    } else {
      e.kind = TableKind::kLinkedAccess;
    }
    candidates.push_back(std::move(c));
  }
  if (!tables_container) {
    throw Error(cache.file_name() + ": the catalogue (MSysObjects) has no Tables container");
  }
  std::vector<CatalogueEntry> tables;
  for (Candidate& c : candidates) {
    if (c.parent_id != *tables_container) continue;
    c.entry.stored_order = tables.size();
    tables.push_back(std::move(c.entry));
  }
  return tables;
}

}  // namespace jet
