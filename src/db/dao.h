#ifndef MDBTOMYSQL_DB_DAO_H_
#define MDBTOMYSQL_DB_DAO_H_

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "db/error.h"

namespace db::dao {

// One table definition as DAO shows it.
struct TableDef {
  std::string name;
  // Empty for a local table; "ODBC;" + the stored connection for an ODBC link;
  // ";DATABASE=" + the file's path for a link to another Access file.
  std::string connect;
  // The table's name in the linked source; empty for a local table.
  std::string source_table_name;
  bool system = false;
  // The rows of a local or system table, as its definition counts them; -1 for a link.
  long record_count = -1;
};

// A DAO-shaped database: the source file opened a further time for its table definitions.
class Database {
 public:
  virtual ~Database() = default;
  // Every table definition, system tables included, in the engine's own order.
  virtual std::vector<TableDef> TableDefs() = 0;
  // The definition named `name` (case-insensitive). Raises 3265 "Item not found in this
  // collection." when there is none.
  TableDef TableDefByName(const std::string& name);

  // CreateTableDef(name): a new definition that belongs to no database until AppendTableDef.
  // The caller sets its `connect` and `source_table_name`; nothing is written here.
  static TableDef CreateTableDef(const std::string& name) {
    return TableDef{name, {}, {}, false, -1};
  }

  // Whether this engine writes linked table definitions (AppendTableDef, RefreshLink). A caller
  // that drops a table before linking its name anew asks first, so that an engine without
  // links loses no table.
  virtual bool CanLinkTables() const { return false; }

  // TableDefs.Append: writes `def` (name, Connect, SourceTableName) as a new linked table.
  // Raises db::Error when the name is taken or the engine refuses.
  virtual void AppendTableDef(const TableDef& /*def*/) {
    throw Error(kNotSupported, "Appending a linked table definition is not supported by this "
                               "engine yet.");
  }

  // RefreshLink on the existing definition named `def.name`, whose Connect has been set to
  // `def.connect`: stores the new Connect and SourceTableName and reconnects the link. Raises
  // db::Error when there is no such definition, it is a local table, or the engine refuses.
  virtual void RefreshLink(const TableDef& /*def*/) {
    throw Error(kNotSupported, "Refreshing a linked table is not supported by this engine yet.");
  }

  // Removes what a link or a drop stopped part way left in the file (rows no lookup reaches,
  // permission rows of objects that are gone), so that a relink after a crash needs no manual
  // step. Returns the rows removed. Raises db::Error as the writes do.
  virtual size_t RemoveLeftovers() { return 0; }

  // DAO's "Operation is not supported for this type of object."
  static constexpr long kNotSupported = 3251;
};

// DBEngine.OpenDatabase(name, options, read_only, connect) for a Jet file: `connect` is
// ";pwd=" + password. Raises db::Error when the file cannot be opened.
std::unique_ptr<Database> OpenDatabase(const std::string& name, bool exclusive, bool read_only,
                                       const std::string& connect);

}  // namespace db::dao

#endif  // MDBTOMYSQL_DB_DAO_H_
