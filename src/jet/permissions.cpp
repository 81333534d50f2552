#include "jet/permissions.h"

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
  // As Access gives a new object its permissions: one row for each SID that holds full access
  // on the Tables container, with that access, not inheritable.
  std::vector<Ace> aces;
  TableCursor rows = db.OpenTable("MSysACEs");
  while (rows.Next()) {
    const Binary* sid = std::get_if<Binary>(&rows[sid_at]);
    if (sid == nullptr || IntegerValue(rows[object_at]) != tables_id ||
        IntegerValue(rows[acm_at]) != kFullAccessAcm) {
      continue;
    }
    aces.push_back(Ace{sid->bytes, kFullAccessAcm, false});
  }
  if (aces.empty()) aces.push_back(Ace{kDefaultOwnerSid, kFullAccessAcm, false});
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
