#ifndef MDBTOMYSQL_CLI_TABLE_LISTING_H_
#define MDBTOMYSQL_CLI_TABLE_LISTING_H_

#include <string>

#include "jet/database.h"

namespace cli {

// `mdbtomysql tables`'s text of one table: its name and kind (local, system, linked ODBC with
// its Connect as DAO shows it and its foreign name, linked Access with its database and foreign
// name), the row count of a local or system table, then a line per column and per index.
void AppendTableListing(jet::Database& db, const jet::CatalogueEntry& table, std::string* out);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_TABLE_LISTING_H_
