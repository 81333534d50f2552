#ifndef MDBTOMYSQL_JET_PERMISSIONS_H_
#define MDBTOMYSQL_JET_PERMISSIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/row_layout.h"

namespace jet {

// Permission rows (MSysACEs, jet4-notes §5.9): which SID may do what with which object.
struct Ace {
  std::string sid;
  int64_t acm = 0;  // access mask
  bool inheritable = false;
};

// What Access gives a new table's owners (the mask without the right to change the owner).
constexpr int64_t kFullAccessAcm = 0x000FFEFF;
// The SID that owns objects when the file names none (§5.4).
constexpr char kDefaultOwnerSid[] = "\xA6\x33";

// The permissions a new table gets, as Access gives them: one row for each SID whose mask on the
// Tables container (whose Id is `tables_id`) is kFullAccessAcm, with that mask, not inheritable;
// one for kDefaultOwnerSid when the container has none. None when the file has no MSysACEs (or
// one without its columns).
std::vector<Ace> NewTableAces(Database& db, int32_t tables_id);

// The MSysACEs rows (`def`) that give object `object_id` the permissions `aces`. Throws
// jet::Error when the table lacks a column.
std::vector<StoredColumns> AceRows(const TableDef& def, int32_t object_id,
                                   const std::vector<Ace>& aces, const std::string& file_name);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_PERMISSIONS_H_
