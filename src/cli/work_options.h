#ifndef MDBTOMYSQL_CLI_WORK_OPTIONS_H_
#define MDBTOMYSQL_CLI_WORK_OPTIONS_H_

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/command_line_screen.h"
#include "cli/console.h"
#include "db/connection_strings.h"

namespace cli {

// The options of the commands that reach MySQL (migrate, link, verify): the source file and the
// five connection settings, `extra_switches` besides --quiet.
OptionNames WorkOptionNames(std::vector<std::string> extra_switches);

// The source path and the MySQL settings the options give, the main window's start values where
// an option is missing.
struct WorkOptions {
  std::string source;
  db::MySqlSettings mysql;
};

// Reads the options. The MySQL password: "--password PW" (or "--password=PW") as given;
// "--password" alone or "-p" asks on the terminal without echo; without either, MYSQL_PWD from
// the environment, as the mariadb client reads it; else the window's start value (none). Returns
// an empty text, or what is wrong (a usage error).
std::string ReadWorkOptions(const Arguments& a, const Console& console, WorkOptions* options);

// The progress style the options and the console ask for.
ProgressStyle StyleFor(const Arguments& a, const Console& console);

// The terminal's width in columns when `out` is one (80 when it cannot be told).
int TerminalWidth();

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_WORK_OPTIONS_H_
