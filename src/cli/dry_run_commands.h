#ifndef MDBTOMYSQL_CLI_DRY_RUN_COMMANDS_H_
#define MDBTOMYSQL_CLI_DRY_RUN_COMMANDS_H_

#include "cli/console.h"
#include "cli/work_options.h"

namespace cli {

// The work commands with --dry-run: the same checks before the start, then what the command
// would do, printed instead of done. The file is opened for reading only and the server gets
// reads only. The exit status says whether the real command would be refused before it starts
// (cli/exit_status.h), or 1 when the migration would stop on a row it cannot render.

// The migration engine on a DryRunSession: every statement it would send, the rows of each
// table as one line with their count.
int RunMigrateDryRun(const WorkOptions& options, const Console& console);

// The refresh-link command's plan: the backup copy's name, the data source's attributes (the
// password as "***"), each DROP and link for the tables the MySQL database holds, the flag.
int RunLinkDryRun(const WorkOptions& options, const Console& console);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_DRY_RUN_COMMANDS_H_
