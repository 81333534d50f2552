#ifndef MDBTOMYSQL_JET_CATALOGUE_H_
#define MDBTOMYSQL_JET_CATALOGUE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jet/page_cache.h"

namespace jet {

// The catalogue (MSysObjects, jet4-notes §5): every object of the file, one row each. Its
// definition always starts at page 2.
constexpr PageNumber kCataloguePage = 2;
// ParentId of the root containers ("Tables", "Databases", "Relationships" ...) (§5.4).
constexpr int32_t kRootContainers = 0x0F000000;
// Flags that mark system objects (§5.3).
constexpr uint32_t kSystemObjectFlags = 0x80000002;

// Object types (column Type, §5.2) this engine deals with.
enum ObjectType : int16_t {
  kObjectTable = 1,
  kObjectDatabase = 2,  // MSysDb and the like
  kObjectOdbcLink = 4,
  kObjectAccessLink = 6,
};

enum class TableKind {
  kLocal,         // a table of this file
  kSystem,        // a table of this file flagged as system (MSysObjects, MSysACEs ...)
  kLinkedOdbc,    // an ODBC link (catalogue type 4): Connect + ForeignName
  kLinkedAccess,  // a link to a table of another Access file (type 6): Database + ForeignName
};

// "local", "system", "linked ODBC", "linked Access".
const char* KindName(TableKind kind);

// One table of the catalogue (MSysObjects).
struct CatalogueEntry {
  std::string name;
  TableKind kind = TableKind::kLocal;
  int32_t id = 0;            // MSysObjects Id: the TDEF page for tables, negative for links
  int16_t type = 0;          // MSysObjects Type: 1, 4 or 6
  uint32_t flags = 0;        // MSysObjects Flags
  PageNumber table_def = 0;  // first TDEF page; 0 when the entry has none (Access links)
  std::string connect;       // links: the stored connection string (ODBC: without "ODBC;")
  std::string foreign_name;  // links: the table's name in the source
  std::string database;      // Access links: path of the source file
  size_t stored_order = 0;   // position among the catalogue's table rows
};

// Reads the tables of the catalogue, in stored order: every MSysObjects row of type 1 (local and
// system tables), 4 (ODBC links) or 6 (Access links) under the "Tables" container. Queries,
// forms and the rest are not tables and are left out. Throws jet::Error on damage.
std::vector<CatalogueEntry> ReadCatalogue(PageCache& cache);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_CATALOGUE_H_
