#ifndef MDBTOMYSQL_JET_LEFTOVERS_H_
#define MDBTOMYSQL_JET_LEFTOVERS_H_

#include <cstddef>

#include "jet/database.h"

namespace jet {

// What a write stopped part way (a kill, a power cut) leaves that no lookup reaches any more,
// which check counts as unreachable rows:
//   - catalogue rows of tables and links that are not in the catalogue's name index (a link
//     whose last steps did not happen), with the pages of their structure;
//   - permission rows (MSysACEs) of objects the catalogue does not name (or names only through
//     such a row).
// Removes them, as a DROP removes a table's: index entries, then rows, then pages, each step
// durable before the next, so that a stop here too leaves only what the next call finishes.
// Returns the rows removed. Throws jet::Error before any write for what DROP refuses (an
// index key this engine does not compute, a file in use), jet::WriteFailure after.
size_t RemoveLeftovers(Database& db);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_LEFTOVERS_H_
