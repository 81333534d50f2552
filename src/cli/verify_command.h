#ifndef MDBTOMYSQL_CLI_VERIFY_COMMAND_H_
#define MDBTOMYSQL_CLI_VERIFY_COMMAND_H_

#include "cli/arguments.h"
#include "cli/console.h"

namespace cli {

// `mdbtomysql verify`: for every table the migration selects, compares what MySQL holds with
// what the migration sends for the file (verify::TableVerifier), tables that are ODBC links
// through their links. One line per table (rows in the file, in MySQL, equal, the first
// differences), then a summary. Exit status 0 only when every table is equal, 5 when a
// difference was found, 1 when a table could not be compared, 3 or 4 when the file or the
// server cannot be opened.
int RunVerify(const Arguments& a, const Console& console);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_VERIFY_COMMAND_H_
