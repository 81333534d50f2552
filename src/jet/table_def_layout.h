#ifndef MDBTOMYSQL_JET_TABLE_DEF_LAYOUT_H_
#define MDBTOMYSQL_JET_TABLE_DEF_LAYOUT_H_

#include <cstddef>

namespace jet {

// Sizes in a Jet 4 table definition (TDEF), shared by its reader and its writer.
constexpr size_t kTableDefHeader = 63;          // up to the per-real-index blocks
constexpr size_t kTableDefRealIndexHeader = 12;  // per real index: 0, unique-entry count, 0
constexpr size_t kTableDefContinuation = 8;      // header of a continuation page
constexpr size_t kColumnDescriptorSize = 25;
constexpr size_t kRealIndexSize = 52;
constexpr size_t kLogicalIndexSize = 28;
constexpr size_t kIndexColumnSlots = 10;  // key columns a real index can hold

}  // namespace jet

#endif  // MDBTOMYSQL_JET_TABLE_DEF_LAYOUT_H_
