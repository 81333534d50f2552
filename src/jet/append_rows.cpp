#include "jet/append_rows.h"

#include <string>

#include "jet/index_edit.h"
#include "jet/row.h"
#include "jet/row_placement.h"
#include "jet/table_def_edit.h"

namespace jet {

std::vector<RowPointer> AppendRows(PageCache& cache, const TableDef& def,
                                   const std::vector<StoredColumns>& rows,
                                   const std::vector<size_t>& index_order) {
  // Every row built and read back as the indexes will see it, before the first write.
  std::vector<std::string> built;
  std::vector<std::vector<Value>> values(rows.size());
  RowDecoder decoder(cache, def);
  for (size_t i = 0; i < rows.size(); ++i) {
    built.push_back(BuildRow(def, rows[i]));
    decoder.Decode(reinterpret_cast<const uint8_t*>(built[i].data()), built[i].size(), 0,
                   &values[i]);
  }
  std::vector<RowPointer> placed;
  for (const std::string& row : built) {
    placed.push_back(InsertRow(cache, def, row));
    AddToRowCount(cache, def, 1);
    cache.Flush();
  }
  for (size_t position : index_order) {
    const RealIndex& index = def.real_indexes.at(position);
    std::vector<IndexEntry> entries;
    for (size_t i = 0; i < placed.size(); ++i) {
      if (auto e = IndexEntryForRow(def, index, values[i], placed[i])) entries.push_back(*e);
    }
    InsertIndexEntries(cache, index, def.page, std::move(entries));
  }
  return placed;
}

}  // namespace jet
