#ifndef MDBTOMYSQL_JET_DROP_TABLE_H_
#define MDBTOMYSQL_JET_DROP_TABLE_H_

#include <set>
#include <string_view>

#include "jet/database.h"

namespace jet {

// Every page that belongs to the table whose definition starts at `first` and to nothing else:
// its TDEF pages, data pages, index pages, long-value pages and usage-map pages (a map page only
// when every row on it is one of this table's maps). Pages 0..2 are never among them.
std::set<PageNumber> TablePages(PageCache& cache, PageNumber first);

// DROP TABLE: removes local or linked table `name` (case-insensitive) from the file of `db`, as
// Jet does: its catalogue row and that row's index entries, its permission rows (MSysACEs) and
// theirs; then its pages (definition, data, indexes, long values, its usage-map page) are marked
// free in the global usage map, their bytes left in place as Access leaves them.
//
// Refused with jet::Error, before anything is written, for a name that does not exist (the message
// names it), a system table, a table that takes part in a relationship (MSysRelationships), a
// file open in Access or in another sort order (WriteGuard).
//
// The steps, each durable before the next: the catalogue row's index entries (ParentIdName
// first: without it the table cannot be found by name), the ACE rows' index entries, the ACE
// rows and MSysACEs' row count, the catalogue row and MSysObjects' row count, the global map.
// Permissions go before the catalogue row so that a stop anywhere before the row is gone leaves
// a table that a second DROP finishes; after it, only free bits not yet set (pages no one can
// reach) remain. The file opens and reads after a stop at any point. `db` is reloaded.
void DropTable(Database& db, std::string_view name);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_DROP_TABLE_H_
