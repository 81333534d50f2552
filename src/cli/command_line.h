#ifndef MDBTOMYSQL_CLI_COMMAND_LINE_H_
#define MDBTOMYSQL_CLI_COMMAND_LINE_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/usage.h"

namespace cli {

// Runs one subcommand of `mdbtomysql` (the arguments after the program name) without a window:
// the same code the window runs, for servers, scripts, tests and benchmarks. Returns the exit
// status: 0 on success, non-zero with a message on `err` on any failure.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_COMMAND_LINE_H_
