#ifndef MDBTOMYSQL_JET_ODBC_LINK_H_
#define MDBTOMYSQL_JET_ODBC_LINK_H_

#include <cstdint>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/table_def_writer.h"

namespace jet {

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

// The RmtInfoLong bytes of a link: per column, in column order, the ODBC SQL type, size and
// decimal digits as 16-bit little-endian numbers.
std::string RemoteInfo(const RemoteTable& remote);

// Creates ODBC link `name` (catalogue type 4) to table `foreign_name` of the ODBC source:
// `connect` is stored as given (DAO's Connect without its "ODBC;"). As Jet does it: the cached
// structure (TDEF, usage maps, empty index roots), permission rows like those of the file's
// other tables, the catalogue row, then its index entries (the name's entry last: the link
// exists from that write on). `now` is the creation date. Every step is durable before the
// next; a stop anywhere leaves a file that opens and reads, with at most unreachable pages and
// rows, which `check` reports as leaks and which a DROP of the name or compacting removes.
// Throws jet::Error, nothing written, when the name is taken or empty, or the file is open
// elsewhere (WriteGuard). `db` is reloaded.
void CreateOdbcLink(Database& db, const std::string& name, const std::string& connect,
                    const std::string& foreign_name, const RemoteTable& remote, double now);

// Refreshes ODBC link `name`: writes its cached structure anew from `remote` over the same TDEF
// page (so its Id and index entries stay), then its catalogue row with the new Connect, foreign
// name, structure information and update date, then frees the old structure's pages. Throws
// jet::Error, nothing written, when there is no such link or it has no cached structure.
void RefreshOdbcLink(Database& db, const std::string& name, const std::string& connect,
                     const std::string& foreign_name, const RemoteTable& remote, double now);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ODBC_LINK_H_
