#ifndef MDBTOMYSQL_DB_JET_PROPERTIES_H_
#define MDBTOMYSQL_DB_JET_PROPERTIES_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "jet/database.h"

namespace db {

// The columns whose Required property is Yes, from a table's property blob (MSysObjects.LvProp:
// "MR2\0", then chunks of a name list and of per-column properties). Jet keeps NOT NULL there,
// not in the table definition. A blob that stops making sense is read up to that point only:
// the property changes how a column is described, never what it holds.
std::vector<std::string> RequiredColumns(std::string_view blob);

// RequiredColumns of every catalogue row that has any, by MSysObjects Id (CatalogueEntry::id).
// Throws jet::Error when the catalogue cannot be read.
std::map<int32_t, std::vector<std::string>> ReadRequiredColumns(jet::Database& database);

}  // namespace db

#endif  // MDBTOMYSQL_DB_JET_PROPERTIES_H_
