// The catalogue's own definition. Every reader finds the tables through these columns of
// MSysObjects and takes their types as given; a catalogue whose columns changed name or type is
// one that other readers refuse whole, even where ours would still find a table list.
#include <string_view>

#include "jet/check_parts.h"
#include "jet/text.h"

namespace jet {
namespace {

struct CatalogueColumn {
  std::string_view name;
  uint8_t type;
};

// The columns of MSysObjects in every Jet 4 file, whoever wrote it.
constexpr CatalogueColumn kColumns[] = {
    {"Id", kTypeLong},
    {"ParentId", kTypeLong},
    {"Name", kTypeText},
    {"Type", kTypeInteger},
    {"Flags", kTypeLong},
    {"DateCreate", kTypeDateTime},
    {"DateUpdate", kTypeDateTime},
    {"Owner", kTypeBinary},
    {"Database", kTypeMemo},
    {"Connect", kTypeMemo},
    {"ForeignName", kTypeText},
    {"RmtInfoShort", kTypeBinary},
    {"RmtInfoLong", kTypeOle},
    {"Lv", kTypeOle},
    {"LvProp", kTypeOle},
    {"LvModule", kTypeOle},
    {"LvExtra", kTypeOle},
};

// Its two indexes: the primary key Id, and ParentIdName, by which names are looked up.
bool HasIndex(const TableDef& def, std::string_view name,
              std::initializer_list<std::string_view> columns) {
  for (const Index& x : def.indexes) {
    if (!NamesEqual(x.name, name) || x.columns.size() != columns.size()) continue;
    size_t i = 0;
    for (std::string_view column : columns) {
      if (!NamesEqual(x.columns[i++].name, column)) return false;
    }
    return true;
  }
  return false;
}

}  // namespace

std::string CatalogueTypeFlaw(int64_t type) {
  // Access's own documents (forms, reports, the database's properties) have the top bit set;
  // everything else is a small number. Tables are 1, ODBC links 4, links to Access files 6.
  const int64_t low_bits = type & 0x7F;
  const bool table_to_some = low_bits == 1 || low_bits == 4 || low_bits == 6;
  if ((type > 0x7F) || (type < 0 && table_to_some)) {
    return "has the Type " + std::to_string(type) + ", which some readers take for " +
           std::to_string(low_bits);
  }
  return "";
}

void CheckCatalogueDefinition(const TableDef& def, CheckReport* report) {
  const std::string where =
      "system table MSysObjects: definition page " + std::to_string(def.page) + ": ";
  if (!def.system) report->errors.push_back(where + "the catalogue is not marked a system table");
  for (const CatalogueColumn& want : kColumns) {
    const Column* c = def.FindColumn(want.name);
    if (c == nullptr) {
      report->errors.push_back(where + "the catalogue has no column " + std::string(want.name));
    } else if (c->name != want.name) {  // mdb-reader looks them up case-sensitively
      report->errors.push_back(where + "the catalogue's column " + c->name + " is not spelt " +
                               std::string(want.name));
    } else if (c->type != want.type) {
      report->errors.push_back(where + "the catalogue's column " + c->name + " is " +
                               TypeName(c->type) + ", not " + TypeName(want.type));
    }
  }
  if (def.columns.size() != std::size(kColumns)) {
    report->errors.push_back(where + "the catalogue has " + std::to_string(def.columns.size()) +
                             " columns, not " + std::to_string(std::size(kColumns)));
  }
  if (!HasIndex(def, "Id", {"Id"}) || !HasIndex(def, "ParentIdName", {"ParentId", "Name"})) {
    report->errors.push_back(where + "the catalogue lacks its index Id or ParentIdName");
  }
}

}  // namespace jet
