#ifndef MDBTOMYSQL_JET_TOOLS_H_
#define MDBTOMYSQL_JET_TOOLS_H_

#include <ostream>
#include <string>

#include "jet/database.h"
#include "jet/value.h"

namespace jet {

// `mdbtomysql tables FILE`: every table of the catalogue with its kind (local, system, linked
// ODBC with connect and foreign name, linked Access with database path and foreign name), its row
// count, columns and indexes. Returns the exit status: 0, or 1 after a message on `err`.
int RunTablesCommand(const std::string& file, const std::string& password, std::ostream& out,
                     std::ostream& err);

// `mdbtomysql export FILE TABLE`: the table's rows as tab-separated values with a header line of
// column names. NULL is \N; Yes/No 1/0; dates yyyy-MM-dd HH:mm:ss (rounded to the second);
// binary 0x + hex; backslash, tab, newline and carriage return escaped as \\ \t \n \r. Returns the
// exit status: 0, or 1 after a message on `err` (rows already written stay written).
int RunExportCommand(const std::string& file, const std::string& table, const std::string& password,
                     std::ostream& out, std::ostream& err);

// The export of one table of an open database; throws jet::Error.
void ExportTable(Database& db, const std::string& table, std::ostream& out);

// One value as the export writes it (without the NULL marker's context: NULL gives "\N").
// Throws jet::Error for a date outside Jet's range.
void AppendExportValue(const Value& value, std::string* out);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_TOOLS_H_
