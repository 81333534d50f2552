#include "db/dao.h"

#include <algorithm>
#include <cctype>

#include "db/ascii_case.h"
#include "db/connection_string.h"
#include "db/error.h"
#include "db/general_sort_key.h"
#include "jet/database.h"

namespace db::dao {
namespace {

class JetDatabase : public Database {
 public:
  explicit JetDatabase(jet::Database database) : database_(std::move(database)) {}

  // The order of MSysObjects' ParentIdName index, the order Jet itself reads its tables in: all
  // tables share the Tables container as ParentId, so their names' sort keys decide.
  std::vector<TableDef> TableDefs() override {
    struct Keyed {
      std::string key;
      const jet::CatalogueEntry* entry;
    };
    std::vector<Keyed> keyed;
    for (const jet::CatalogueEntry& entry : database_.Tables())
      keyed.push_back(Keyed{GeneralSortKey(entry.name), &entry});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
      return a.key < b.key;  // std::string compares its chars as unsigned bytes
    });
    std::vector<TableDef> defs;
    defs.reserve(keyed.size());
    for (const Keyed& k : keyed) defs.push_back(Describe(*k.entry));
    return defs;
  }

 private:
  static TableDef Describe(const jet::CatalogueEntry& entry) {
    TableDef def;
    def.name = entry.name;
    def.system = entry.kind == jet::TableKind::kSystem;
    switch (entry.kind) {
      case jet::TableKind::kLinkedOdbc:
        def.connect = "ODBC;" + entry.connect;
        def.source_table_name = entry.foreign_name;
        break;
      case jet::TableKind::kLinkedAccess:
        def.connect = ";DATABASE=" + entry.database;
        def.source_table_name = entry.foreign_name;
        break;
      case jet::TableKind::kLocal:
      case jet::TableKind::kSystem:
        break;
    }
    return def;
  }

  jet::Database database_;
};

}  // namespace

TableDef Database::TableDefByName(const std::string& name) {
  for (TableDef& def : TableDefs())
    if (EqualsIgnoringCase(def.name, name)) return def;
  throw Error(3265, "Item not found in this collection.");
}

std::unique_ptr<Database> OpenDatabase(const std::string& name, bool /*exclusive*/,
                                       bool /*read_only*/, const std::string& connect) {
  // The engine opens files shared and reads them only; the write operations come with their
  // own recipes.
  const std::string password = FindAttribute(ParseConnectionString(connect), "pwd").value_or("");
  try {
    return std::make_unique<JetDatabase>(jet::Database::Open(name, password));
  } catch (const jet::Error& e) {
    throw Error(kProviderError, e.what());
  } catch (const std::exception& e) {
    throw Error(kProviderError, "Cannot open " + name + ": " + e.what());
  }
}

}  // namespace db::dao
