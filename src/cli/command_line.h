#ifndef MDBTOMYSQL_CLI_COMMAND_LINE_H_
#define MDBTOMYSQL_CLI_COMMAND_LINE_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/usage.h"

namespace cli {

// Runs one subcommand of `mdbtomysql` (the arguments after the program name) without a window:
// the same code the window runs, for servers, scripts, tests and benchmarks. Returns the exit
// status (cli/exit_status.h), with a message on `err` for every failure.
//
// This form is the program's: `out` counts as a terminal when it is std::cout and standard
// output is one, passwords are asked on /dev/tty, and the environment is the process's.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The same on a console of the caller's own.
int RunCommandLine(const std::vector<std::string>& args, const Console& console);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_COMMAND_LINE_H_
