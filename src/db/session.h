#ifndef MDBTOMYSQL_DB_SESSION_H_
#define MDBTOMYSQL_DB_SESSION_H_

#include <memory>
#include <string>

#include "db/catalog_table.h"
#include "db/recordset.h"

namespace db {

// A provider's open connection to one database. Connection owns one while it is open.
class Session {
 public:
  virtual ~Session() = default;
  // Runs one statement. Returns the rows of a statement that gives rows, nullptr otherwise.
  // Raises db::Error when the database refuses the statement.
  virtual std::unique_ptr<Cursor> Execute(const std::string& text) = 0;
  // The tables and indexes of the database, for an ADOX catalogue. Providers without one raise
  // 3251.
  virtual std::vector<CatalogTable> ReadCatalog();
};

}  // namespace db

#endif  // MDBTOMYSQL_DB_SESSION_H_
