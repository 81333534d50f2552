#ifndef MDBTOMYSQL_CLI_WORK_COMMANDS_H_
#define MDBTOMYSQL_CLI_WORK_COMMANDS_H_

#include "cli/arguments.h"
#include "cli/console.h"

namespace cli {

// The main window's two work commands without a window, run on fields filled from the options
// (the window's start values where an option is not given). Each returns the exit status
// (cli/exit_status.h): a file that does not open and a server that refuses the login are told
// apart before anything is changed.

// `mdbtomysql migrate`: the migration command; --yes stands in for the password prompt.
// --dry-run shows what it would send instead (RunMigrateDryRun).
int RunMigrate(const Arguments& a, const Console& console);

// `mdbtomysql link`: the refresh-link command; --dry-run shows what it would do (RunLinkDryRun).
int RunLink(const Arguments& a, const Console& console);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_WORK_COMMANDS_H_
