#ifndef MDBTOMYSQL_JET_INDEX_H_
#define MDBTOMYSQL_JET_INDEX_H_

#include <cstdint>
#include <string>
#include <vector>

#include "jet/data_page.h"

namespace jet {

// One key column of an index, in key order.
struct IndexColumn {
  uint16_t column_number = 0;  // the column's physical number (Column::number)
  std::string name;            // the column's name, UTF-8
  bool ascending = true;
};

// A "real" index: one physical B-tree of a table. Several logical indexes may share it.
struct RealIndex {
  uint32_t number = 0;
  std::vector<IndexColumn> columns;  // key order
  RowPointer usage_map;              // pages of the tree
  PageNumber root = 0;
  uint8_t flags = 0;            // 0x01 unique, 0x02 ignore nulls, 0x08 required
  uint32_t unique_entries = 0;  // distinct keys ever added (never decremented)

  bool unique() const { return (flags & 0x01) != 0; }
  bool ignore_nulls() const { return (flags & 0x02) != 0; }
  bool required() const { return (flags & 0x08) != 0; }
};

// A logical index: what Access, ADOX and DAO list as the indexes of a table.
struct Index {
  std::string name;
  uint32_t number = 0;      // logical index number; indexes are listed in this order
  uint32_t real_index = 0;  // position in TableDef::real_indexes
  bool primary_key = false;
  bool foreign_key = false;
  bool unique = false;  // unique flag of the real index, or primary key
  bool ignore_nulls = false;
  bool required = false;
  std::vector<IndexColumn> columns;  // key order, from the real index

  // Foreign keys: the related table's TDEF page and logical index number (-1 when none).
  PageNumber related_table = 0;
  int32_t related_index = -1;
};

}  // namespace jet

#endif  // MDBTOMYSQL_JET_INDEX_H_
