#ifndef MDBTOMYSQL_JET_CATALOGUE_NAME_KEY_H_
#define MDBTOMYSQL_JET_CATALOGUE_NAME_KEY_H_

#include <cstdint>
#include <string>

#include "jet/index.h"
#include "jet/page_cache.h"
#include "jet/table_def.h"

namespace jet {

// The key that a new catalogue row named `name` under `parent_id` gets in `name_index` (the
// catalogue's ParentIdName index), for a write that adds such a row: computed and checked before
// its first write. Throws jet::Error when the name has no key in the General sort order (a
// character beyond U+FFFF), or when the index already holds that key: Access takes such names for
// the same one (letter case, "ß" and "ss", "æ" and "ae"), and its unique index would refuse the
// row only after the rest of the write.
std::string RequireFreeCatalogueKey(PageCache& cache, const TableDef& catalogue,
                                    const RealIndex& name_index, int64_t parent_id,
                                    const std::string& name);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_CATALOGUE_NAME_KEY_H_
