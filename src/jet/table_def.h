#ifndef MDBTOMYSQL_JET_TABLE_DEF_H_
#define MDBTOMYSQL_JET_TABLE_DEF_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jet/data_page.h"
#include "jet/index.h"
#include "jet/page_cache.h"

namespace jet {

// Jet 4 column type codes (column descriptor byte 0).
enum ColumnType : uint8_t {
  kTypeBoolean = 0x01,  // Yes/No: the row's null-mask bit is the value
  kTypeByte = 0x02,
  kTypeInteger = 0x03,
  kTypeLong = 0x04,
  kTypeCurrency = 0x05,
  kTypeSingle = 0x06,
  kTypeDouble = 0x07,
  kTypeDateTime = 0x08,
  kTypeBinary = 0x09,
  kTypeText = 0x0A,
  kTypeOle = 0x0B,
  kTypeMemo = 0x0C,
  kTypeGuid = 0x0F,
  kTypeDecimal = 0x10,
};

// The sort order of "General" text (LCID 1033); version 0 is the one Access 2000-2007 use, the
// only one whose index keys this engine computes.
constexpr uint16_t kGeneralSortOrder = 1033;

// Name of a type code as Access shows it ("Long Integer", "Text"); "Unknown 0x11" otherwise.
std::string TypeName(uint8_t type);

// One column of a table definition.
struct Column {
  std::string name;            // UTF-8
  uint8_t type = 0;            // ColumnType code
  uint16_t number = 0;         // physical number: null-mask bit, index references
  uint16_t var_index = 0;      // variable columns: entry in the row's offset table
  uint16_t display_index = 0;  // descriptor offset 9; Access keeps descriptors sorted by it
  uint16_t fixed_offset = 0;   // fixed columns: offset in the row's fixed area
  uint16_t length = 0;         // bytes (Text: 2 per character; Memo/OLE: 0)
  uint8_t flags = 0;           // descriptor offset 15
  uint8_t extra_flags = 0;     // descriptor offset 16
  uint8_t precision = 0;       // Decimal only
  uint8_t scale = 0;           // Decimal only
  uint16_t collation = 0;      // Text/Memo: sort order LCID
  uint8_t collation_version = 0;

  bool fixed() const { return (flags & 0x01) != 0; }
  bool updatable() const { return (flags & 0x02) != 0; }
  bool autonumber() const { return (flags & 0x04) != 0; }
  bool autonumber_guid() const { return (flags & 0x40) != 0; }
  bool hyperlink() const { return (flags & 0x80) != 0; }
  bool compressed_unicode() const { return (extra_flags & 0x01) != 0; }
  bool long_value() const { return type == kTypeMemo || type == kTypeOle; }
  // Characters of a Text column (length / 2).
  int max_characters() const { return length / 2; }
};

// Pages of one Memo/OLE column's long values.
struct LongValueMaps {
  uint16_t column_number = 0;
  RowPointer owned_pages;
  RowPointer free_space;
};

// A table definition (TDEF), possibly spread over continuation pages.
struct TableDef {
  PageNumber page = 0;           // first TDEF page
  bool system = false;           // table type byte 'S'
  uint32_t row_count = 0;        // live rows, as Access keeps it
  uint32_t last_autonumber = 0;  // the last AutoNumber value handed out
  uint16_t max_columns = 0;      // highest column number + 1 (deleted columns included)
  uint16_t variable_columns = 0;
  RowPointer owned_pages;  // usage map of the table's data pages
  RowPointer free_space;

  // Columns in the order of `SELECT *`: the order of the column descriptors, which Access keeps
  // as the design (display) order. It differs from the physical column numbers once a table has
  // been restructured, e.g. in MSysObjects or after inserting a column in Access's design view.
  std::vector<Column> columns;
  std::vector<RealIndex> real_indexes;
  std::vector<Index> indexes;  // logical indexes, by ascending logical number
  std::vector<LongValueMaps> long_value_maps;

  // The column named `name` (case-insensitive), or nullptr.
  const Column* FindColumn(std::string_view name) const;
  // The position in `columns` (and in a cursor's values) of the column named `name`
  // (case-insensitive), or -1.
  int ColumnIndex(std::string_view name) const;
  // The column with physical number `number`, or nullptr.
  const Column* ColumnByNumber(uint16_t number) const;
};

// The column named `name` (case-insensitive) of `def`. Throws jet::Error "<file>: <table> has no
// column <name>" when there is none.
const Column& RequireColumn(const TableDef& def, std::string_view name, const std::string& table,
                            const std::string& file_name);

// Reads the table definition that starts at page `page`. Throws jet::Error if the pages are not a
// TDEF or any count, length or offset does not fit the definition's bytes.
TableDef ReadTableDef(PageCache& cache, PageNumber page);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_TABLE_DEF_H_
