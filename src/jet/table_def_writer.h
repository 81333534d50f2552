#ifndef MDBTOMYSQL_JET_TABLE_DEF_WRITER_H_
#define MDBTOMYSQL_JET_TABLE_DEF_WRITER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page_cache.h"
#include "jet/table_def.h"

namespace jet {

// One index of a new table definition.
struct NewIndex {
  std::string name;
  std::vector<uint16_t> columns;  // column numbers, key order, all ascending
  bool primary_key = false;
  bool unique = false;
};

// A new table definition without rows, as Access writes the cached structure of an ODBC link:
// columns in order (name, type, length, flags, extra flags, precision and scale are taken; their
// numbers, variable-column indexes and fixed offsets are laid out here), and indexes.
struct NewTableDef {
  std::vector<Column> columns;
  std::vector<NewIndex> indexes;
};

// The pages a written definition is made of.
struct WrittenTableDef {
  PageNumber first = 0;                  // the first TDEF page: the table's Id
  std::vector<PageNumber> continuation;  // further TDEF pages
  PageNumber maps = 0;                   // the page holding its usage maps
  std::vector<PageNumber> roots;         // one empty root leaf per index
};

// Writes `def`: a page for its usage maps (owned and free-space pages, two per Memo/OLE column,
// one per index holding the index's root), an empty root leaf per index, and the TDEF itself,
// on pages taken from the global map. With `at` = 0 the TDEF gets new pages too; else it is
// written over the TDEF that starts at page `at` (a refreshed link keeps its Id), after
// everything it points to has been flushed, so that the one page write of the TDEF switches
// from the old structure to the new. The old structure's other pages are the caller's to free.
// Throws jet::Error when the definition is too large or malformed (more than 10 key columns,
// an unknown column number).
WrittenTableDef WriteTableDef(PageCache& cache, const NewTableDef& def, PageNumber at = 0);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_TABLE_DEF_WRITER_H_
