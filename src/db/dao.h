#ifndef MDBTOMYSQL_DB_DAO_H_
#define MDBTOMYSQL_DB_DAO_H_

#include <memory>
#include <string>
#include <vector>

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
};

// DBEngine.OpenDatabase(name, options, read_only, connect) for a Jet file: `connect` is
// ";pwd=" + password. Raises db::Error when the file cannot be opened.
std::unique_ptr<Database> OpenDatabase(const std::string& name, bool exclusive, bool read_only,
                                       const std::string& connect);

}  // namespace db::dao

#endif  // MDBTOMYSQL_DB_DAO_H_
