#include "cli/command_line.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "cli/arguments.h"
#include "cli/exit_status.h"
#include "cli/file_commands.h"
#include "cli/password_prompt.h"
#include "cli/usage.h"
#include "cli/verify_command.h"
#include "cli/work_commands.h"
#include "cli/work_options.h"
#include "db/source_session.h"

namespace cli {

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Console console{out, err, &out == &std::cout && isatty(STDOUT_FILENO) == 1,
                  AskPasswordOnTerminal, [](const std::string& name) -> std::optional<std::string> {
                    const char* value = std::getenv(name.c_str());
                    if (value == nullptr) return std::nullopt;
                    return std::string(value);
                  }};
  return RunCommandLine(args, console);
}

int RunCommandLine(const std::vector<std::string>& args, const Console& console) {
  std::ostream& out = console.out;
  std::ostream& err = console.err;
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << CommandLineUsage();
    return args.empty() ? kExitUsage : kExitSuccess;
  }
  const std::string& command = args[0];
  if (command == "check" || command == "tables" || command == "export") {
    const Arguments a = SplitArguments(args, {{"--password"}, {}});
    const size_t wanted = command == "export" ? 2 : 1;
    if (!a.error.empty()) return UsageError(a.error, err);
    if (a.positional.size() != wanted) return UsageError("wrong number of arguments", err);
    const std::string password = a.Option("--password").value_or(db::kSourcePassword);
    if (command == "check") return RunCheckCommand(a.positional[0], password, out, err);
    if (command == "tables") return RunTablesCommand(a.positional[0], password, out, err);
    return RunExportCommand(a.positional[0], a.positional[1], password, out, err);
  }
  if (command == "migrate")
    return RunMigrate(
        SplitArguments(args, WorkOptionNames({"--yes", "--row-at-a-time", "--dry-run"})), console);
  if (command == "link")
    return RunLink(SplitArguments(args, WorkOptionNames({"--dry-run"})), console);
  if (command == "verify") return RunVerify(SplitArguments(args, WorkOptionNames({})), console);
  err << "mdbtomysql: unknown command \"" << args[0] << "\"\n" << CommandLineUsage();
  return kExitUsage;
}

}  // namespace cli
