#ifndef MDBTOMYSQL_CLI_WORK_COMMANDS_H_
#define MDBTOMYSQL_CLI_WORK_COMMANDS_H_

#include <ostream>

#include "cli/arguments.h"

namespace cli {

// The main window's two work commands without a window, run on fields filled from the options
// (the window's start values where an option is not given). Each returns the exit status: 0 on
// success, 1 when the command failed, 2 for a usage error.

// `mdbtomysql migrate`: the migration command; --yes stands in for the password prompt.
int RunMigrate(const Arguments& a, std::ostream& out, std::ostream& err);

// `mdbtomysql link`: the refresh-link command.
int RunLink(const Arguments& a, std::ostream& out, std::ostream& err);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_WORK_COMMANDS_H_
