#ifndef MDBTOMYSQL_DB_LINK_PASSTHROUGH_H_
#define MDBTOMYSQL_DB_LINK_PASSTHROUGH_H_

#include <memory>

#include "db/jet_sql.h"
#include "db/recordset.h"
#include "jet/database.h"

namespace db {

// What the Jet provider does with a table linked through ODBC: the statement runs on the link's
// data source ("DSN=..." from the stored connection string, backslashes taken as data) against
// the table's name there, with the column names as the link's cached definition spells them.
// The file is not touched. A link without a data source name or a cached definition, a source
// that does not open, and a column the link lacks raise kProviderError naming the table.

// "SELECT * FROM" the link: the rows from its data source, the fields typed as the cached
// definition says. The cursor holds its own ODBC session.
std::unique_ptr<Cursor> SelectThroughLink(jet::Database& database,
                                          const jet::CatalogueEntry& link);

// The UPDATE, sent with its literals quoted for MySQL.
void UpdateThroughLink(jet::Database& database, const jet::CatalogueEntry& link,
                       const UpdateStatement& update);

}  // namespace db

#endif  // MDBTOMYSQL_DB_LINK_PASSTHROUGH_H_
