#ifndef MDBTOMYSQL_CLI_TABLE_EXPORT_H_
#define MDBTOMYSQL_CLI_TABLE_EXPORT_H_

#include <ostream>
#include <string>

#include "jet/database.h"

namespace cli {

// `mdbtomysql export`'s text of one table of an open database: a header line of column names,
// then one line per row, values separated by tabs (AppendExportValue). Written in blocks as the
// rows are read, so memory does not grow with the table. Throws jet::Error naming the row and
// column of a value it cannot write; the lines before stay written.
void ExportTable(jet::Database& db, const std::string& table, std::ostream& out);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_TABLE_EXPORT_H_
