#ifndef MDBTOMYSQL_CLI_FILE_COMMANDS_H_
#define MDBTOMYSQL_CLI_FILE_COMMANDS_H_

#include <ostream>
#include <string>

namespace cli {

// The subcommands that only read a .mdb file. Each returns the exit status: 0; 3 after a message
// on `err` when the file cannot be opened; 1 when it cannot be read or the output cannot be
// written.

// `mdbtomysql tables FILE`: every table of the catalogue (AppendTableListing).
int RunTablesCommand(const std::string& file, const std::string& password, std::ostream& out,
                     std::ostream& err);

// `mdbtomysql export FILE TABLE`: the table as tab-separated text (ExportTable); rows already
// written stay written when a later one fails.
int RunExportCommand(const std::string& file, const std::string& table,
                     const std::string& password, std::ostream& out, std::ostream& err);

// `mdbtomysql check FILE`: the engine's check of every table and index; errors, warnings,
// unreachable rows and a summary line on `out`. 1 also when the check found damage.
int RunCheckCommand(const std::string& file, const std::string& password, std::ostream& out,
                    std::ostream& err);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_FILE_COMMANDS_H_
