#ifndef MDBTOMYSQL_JET_ODBC_TYPES_H_
#define MDBTOMYSQL_JET_ODBC_TYPES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "jet/table_def_writer.h"

namespace jet {

// ODBC SQL type codes (sql.h, sqlext.h, sqlucode.h); 9, 10 and 11 are ODBC 2's date and time.
enum SqlType : int16_t {
  kSqlChar = 1,
  kSqlNumeric = 2,
  kSqlDecimal = 3,
  kSqlInteger = 4,
  kSqlSmallInt = 5,
  kSqlFloat = 6,
  kSqlReal = 7,
  kSqlDouble = 8,
  kSqlDateV2 = 9,
  kSqlTimeV2 = 10,
  kSqlTimestampV2 = 11,
  kSqlVarChar = 12,
  kSqlDate = 91,
  kSqlTime = 92,
  kSqlTimestamp = 93,
  kSqlLongVarChar = -1,
  kSqlBinary = -2,
  kSqlVarBinary = -3,
  kSqlLongVarBinary = -4,
  kSqlBigInt = -5,
  kSqlTinyInt = -6,
  kSqlBit = -7,
  kSqlWChar = -8,
  kSqlWVarChar = -9,
  kSqlWLongVarChar = -10,
  kSqlGuid = -11,
};

// A column of a remote table as its ODBC source describes it (SQLColumns).
struct RemoteColumn {
  std::string name;
  int16_t sql_type = 0;  // ODBC SQL type (SQL_INTEGER, SQL_WVARCHAR ...)
  uint32_t size = 0;     // COLUMN_SIZE: characters, digits or bytes
  int16_t digits = 0;    // DECIMAL_DIGITS
  bool is_unsigned = false;
  bool auto_increment = false;
};

// An index of a remote table (SQLStatistics), its columns in key order.
struct RemoteIndex {
  std::string name;
  bool unique = false;
  std::vector<std::string> columns;
};

// What an ODBC link caches of its remote table. Indexes in the order the source lists them:
// the first unique one becomes the link's primary key, by which Jet tells rows apart.
struct RemoteTable {
  std::vector<RemoteColumn> columns;
  std::vector<RemoteIndex> indexes;
};

// The cached structure Jet 4 keeps for a link to `remote`: each column mapped from its ODBC
// type to a Jet type (a bit to Yes/No, small integers to Byte or Integer, text up to 255
// characters to Text and longer to Memo, and so on; a BIGINT becomes Text), auto-increment
// columns not updatable; one index per remote index. Indexes naming unknown columns or more
// than 10 are left out.
NewTableDef LinkStructure(const RemoteTable& remote);

// The RmtInfoLong bytes of a link: per column, in column order, the ODBC SQL type (dates and
// times by their ODBC 2 codes 9, 10, 11, as Access writes them), size and
// decimal digits as 16-bit little-endian numbers.
std::string RemoteInfo(const RemoteTable& remote);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ODBC_TYPES_H_
