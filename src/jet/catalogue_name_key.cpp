#include "jet/catalogue_name_key.h"

#include <optional>
#include <vector>

#include "jet/error.h"
#include "jet/index_key.h"
#include "jet/index_page.h"

namespace jet {

std::string RequireFreeCatalogueKey(PageCache& cache, const TableDef& catalogue,
                                    const RealIndex& name_index, int64_t parent_id,
                                    const std::string& name) {
  const int parent_column = catalogue.ColumnIndex("ParentId");
  const int name_column = catalogue.ColumnIndex("Name");
  if (parent_column < 0 || name_column < 0) {
    throw Error(cache.file_name() + ": the catalogue lacks its ParentId or Name column");
  }
  std::vector<Value> values(catalogue.columns.size());
  values[static_cast<size_t>(parent_column)] = parent_id;
  values[static_cast<size_t>(name_column)] = name;
  const std::optional<std::string> key = EncodeIndexKey(catalogue, name_index, values);
  if (!key) {
    throw Error(cache.file_name() + ": the name '" + name +
                "' holds a character that Jet's General sort order has no key for (one beyond "
                "U+FFFF); nothing was written");
  }
  for (const IndexEntry& entry : ReadIndexTree(cache, name_index, catalogue.page).entries) {
    if (entry.key() == *key) {
      throw Error(cache.file_name() +
                  ": the catalogue already holds a name that Access takes for '" + name +
                  "' (they differ only in letter case or in spelling such as ß and ss); "
                  "nothing was written");
    }
  }
  return *key;
}

}  // namespace jet
