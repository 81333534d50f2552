#include "db/dao.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "base/ascii_case.h"
#include "db/connection_string_syntax.h"
#include "db/engine_call.h"
#include "db/error.h"
#include "jet/general_sort_key.h"
#include "db/odbc/remote_table.h"
#include "jet/database.h"
#include "jet/date_time.h"
#include "jet/leftovers.h"
#include "jet/odbc_link.h"

namespace db::dao {
namespace {

// The remote table's structure in the engine's terms, for the link it caches.
jet::RemoteTable EngineTable(const odbc::RemoteTable& remote) {
  jet::RemoteTable out;
  for (const odbc::RemoteColumn& c : remote.columns) {
    out.columns.push_back(
        jet::RemoteColumn{c.name, c.sql_type, c.size, c.digits, c.is_unsigned, c.auto_increment});
  }
  for (const odbc::RemoteIndex& index : remote.indexes) {
    out.indexes.push_back(jet::RemoteIndex{index.name, index.unique, index.columns});
  }
  return out;
}

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
      keyed.push_back(Keyed{jet::GeneralSortKey(entry.name), &entry});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
      return a.key < b.key;  // std::string compares its chars as unsigned bytes
    });
    std::vector<TableDef> defs;
    defs.reserve(keyed.size());
    for (const Keyed& k : keyed) defs.push_back(Describe(*k.entry));
    return defs;
  }

  bool CanLinkTables() const override { return true; }

  size_t RemoveLeftovers() override {
    return EngineCall([&] { return jet::RemoveLeftovers(database_); });
  }

  // Jet asks the ODBC source for the table's structure and caches it in the file with the link.
  void AppendTableDef(const TableDef& def) override {
    const std::string source = OdbcPart(def);
    if (database_.FindTable(def.name) != nullptr) {
      throw Error(kObjectExists, "Object '" + def.name + "' already exists.");
    }
    const std::string foreign = def.source_table_name.empty() ? def.name : def.source_table_name;
    const jet::RemoteTable remote = EngineTable(odbc::DescribeRemoteTable(source, foreign));
    EngineCall([&] { jet::CreateOdbcLink(database_, def.name, source, foreign, remote, Now()); });
  }

  void RefreshLink(const TableDef& def) override {
    const jet::CatalogueEntry* entry = database_.FindTable(def.name);
    if (entry == nullptr) throw Error(3265, "Item not found in this collection.");
    if (entry->kind != jet::TableKind::kLinkedOdbc) {
      throw Error(kNotSupported, "Operation is not supported for this type of object.");
    }
    const std::string source = OdbcPart(def);
    const std::string foreign =
        def.source_table_name.empty() ? entry->foreign_name : def.source_table_name;
    const jet::RemoteTable remote = EngineTable(odbc::DescribeRemoteTable(source, foreign));
    EngineCall([&] { jet::RefreshOdbcLink(database_, def.name, source, foreign, remote, Now()); });
  }

 private:
  static constexpr long kObjectExists = 3012;

  // The connection string an ODBC link stores: Connect without its "ODBC;".
  static std::string OdbcPart(const TableDef& def) {
    if (def.connect.size() < 5 || !base::EqualsIgnoringCase(def.connect.substr(0, 5), "ODBC;")) {
      throw Error(kNotSupported, "Only ODBC links can be written: Connect must start with "
                                 "\"ODBC;\".");
    }
    return def.connect.substr(5);
  }

  // The local date and time, as Jet stamps catalogue rows.
  static double Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    jet::DateTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    return jet::DateTimeToJetDate(t);
  }

  TableDef Describe(const jet::CatalogueEntry& entry) {
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
        try {
          def.record_count = static_cast<long>(database_.GetTableDef(entry.name).row_count);
        } catch (const jet::Error&) {
          // Only a progress display asks for the count; the table's own reading reports a
          // definition that cannot be read.
        }
        break;
    }
    return def;
  }

  jet::Database database_;
};

}  // namespace

TableDef Database::TableDefByName(const std::string& name) {
  for (TableDef& def : TableDefs())
    if (base::EqualsIgnoringCase(def.name, name)) return def;
  throw Error(3265, "Item not found in this collection.");
}

std::unique_ptr<Database> OpenDatabase(const std::string& name, bool /*exclusive*/,
                                       bool /*read_only*/, const std::string& connect) {
  // The engine opens files shared and reads them only; the write operations come with their
  // own recipes.
  const std::string password = FindAttribute(ParseConnectionString(connect), "pwd").value_or("");
  try {
    return EngineCall(
        [&] { return std::make_unique<JetDatabase>(jet::Database::Open(name, password)); });
  } catch (const Error&) {
    throw;
  } catch (const std::exception& e) {
    throw Error(kProviderError, "Cannot open " + name + ": " + e.what());
  }
}

}  // namespace db::dao
