#ifndef MDBTOMYSQL_JET_TABLE_DEF_LAYOUT_H_
#define MDBTOMYSQL_JET_TABLE_DEF_LAYOUT_H_

#include <cstddef>

namespace jet {

// Sizes and offsets in a Jet 4 table definition (TDEF, jet4-notes §3.2-3.5), shared by its
// reader and its writers.
constexpr size_t kTableDefFreeSpace = 2;         // on each TDEF page
constexpr size_t kTableDefNextPage = 4;          // the next TDEF page, 0 for none
constexpr size_t kTableDefRowCount = 16;         // live rows
constexpr size_t kTableDefHeader = 63;           // up to the per-real-index blocks
constexpr size_t kTableDefRealIndexHeader = 12;  // per real index: 0, unique-entry count, 0
constexpr size_t kTableDefUniqueEntries = 4;     // the count's place in that block
constexpr size_t kTableDefContinuation = 8;      // header of a continuation page
constexpr size_t kColumnDescriptorSize = 25;
constexpr size_t kRealIndexSize = 52;
constexpr size_t kLogicalIndexSize = 28;
constexpr size_t kIndexColumnSlots = 10;  // key columns a real index can hold

}  // namespace jet

#endif  // MDBTOMYSQL_JET_TABLE_DEF_LAYOUT_H_
