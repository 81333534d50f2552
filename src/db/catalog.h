#ifndef MDBTOMYSQL_DB_CATALOG_H_
#define MDBTOMYSQL_DB_CATALOG_H_

#include <vector>

#include "db/catalog_table.h"

namespace db {

class Connection;

// An ADOX-shaped catalogue: the tables of a database with their indexes, read from the
// connection it is attached to.
class Catalog {
 public:
  // Attaches the catalogue to an open connection and reads its tables. Raises 3709 on a closed
  // connection and 3251 when the connection's provider has no catalogue.
  void SetActiveConnection(Connection& connection);
  const std::vector<CatalogTable>& Tables() const { return tables_; }

 private:
  std::vector<CatalogTable> tables_;
};

}  // namespace db

#endif  // MDBTOMYSQL_DB_CATALOG_H_
