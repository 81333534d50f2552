#include "jet/permissions.h"

#include <map>
#include <optional>

#include "jet/row.h"

namespace jet {

std::vector<Ace> NewTableAces(Database& db, int32_t tables_id) {
  const CatalogueEntry* aces_entry = db.FindTable("MSysACEs");
  if (aces_entry == nullptr) return {};
  const TableDef& def = db.GetTableDef("MSysACEs");
  const int object_at = def.ColumnIndex("ObjectId"), sid_at = def.ColumnIndex("SID"),
            acm_at = def.ColumnIndex("ACM");
  if (object_at < 0 || sid_at < 0 || acm_at < 0) return {};
  std::map<int64_t, std::vector<Ace>> by_object;
  TableCursor rows = db.OpenTable("MSysACEs");
  while (rows.Next()) {
    const std::optional<int64_t> object = IntegerValue(rows[object_at]);
    const Binary* sid = std::get_if<Binary>(&rows[sid_at]);
    if (!object || sid == nullptr) continue;
    by_object[*object].push_back(
        Ace{sid->bytes, IntegerValue(rows[acm_at]).value_or(kFullAccessAcm)});
  }
  for (const CatalogueEntry& table : db.Tables()) {
    if (table.kind != TableKind::kLocal) continue;
    auto found = by_object.find(table.id);
    if (found != by_object.end() && !found->second.empty()) return found->second;
  }
  std::vector<Ace> aces;
  for (const Ace& owner : by_object[tables_id]) {
    aces.push_back(Ace{owner.sid, kFullAccessAcm});
  }
  if (aces.empty()) aces.push_back(Ace{kDefaultOwnerSid, kFullAccessAcm});
  return aces;
}

std::vector<StoredColumns> AceRows(const TableDef& def, int32_t object_id,
                                   const std::vector<Ace>& aces, const std::string& file_name) {
  std::vector<StoredColumns> rows;
  for (const Ace& ace : aces) {
    rows.push_back(EncodeRow(
        def, {{"ObjectId", int64_t{object_id}}, {"SID", Binary{ace.sid}}, {"ACM", ace.acm}},
        "the catalogue", file_name));
  }
  return rows;
}

}  // namespace jet
