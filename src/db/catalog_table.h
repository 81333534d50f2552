#ifndef MDBTOMYSQL_DB_CATALOG_TABLE_H_
#define MDBTOMYSQL_DB_CATALOG_TABLE_H_

#include <string>
#include <vector>

namespace db {

// One table of a database as a provider describes it for an ADOX catalogue: its indexes and
// their key columns.

struct CatalogColumn {
  std::string name;
};

struct CatalogIndex {
  std::string name;
  bool primary_key = false;
  bool unique = false;
  std::vector<CatalogColumn> columns;  // in key order
};

struct CatalogTable {
  std::string name;
  std::vector<CatalogIndex> indexes;  // in the provider's own order
};

}  // namespace db

#endif  // MDBTOMYSQL_DB_CATALOG_TABLE_H_
