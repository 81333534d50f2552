#include "cli/command_line.h"

#include <ostream>

#include "cli/arguments.h"
#include "cli/file_commands.h"
#include "cli/usage.h"
#include "cli/work_commands.h"
#include "db/source_session.h"

namespace cli {

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << CommandLineUsage();
    return args.empty() ? 2 : 0;
  }
  const std::string& command = args[0];
  if (command == "check") {
    const Arguments a = SplitArguments(args, {"--password"}, {});
    if (!a.error.empty()) return UsageError(a.error, err);
    if (a.positional.size() != 1) return UsageError("wrong number of arguments", err);
    return RunCheckCommand(a.positional[0], a.Option("--password").value_or(db::kSourcePassword),
                                out, err);
  }
  if (command == "tables" || command == "export") {
    const Arguments a = SplitArguments(args, {"--password"}, {});
    const size_t wanted = command == "tables" ? 1 : 2;
    if (!a.error.empty()) return UsageError(a.error, err);
    if (a.positional.size() != wanted) return UsageError("wrong number of arguments", err);
    const std::string password = a.Option("--password").value_or(db::kSourcePassword);
    if (command == "tables") return RunTablesCommand(a.positional[0], password, out, err);
    return RunExportCommand(a.positional[0], a.positional[1], password, out, err);
  }
  if (command == "migrate")
    return RunMigrate(SplitArguments(args, {"--source", "--server", "--port", "--database", "--user",
                                   "--password"},
                            {"--yes", "--row-at-a-time"}),
                      out, err);
  if (command == "link")
    return RunLink(SplitArguments(args, {"--source", "--server", "--port", "--database", "--user",
                                "--password"},
                         {}),
                   out, err);
  err << "mdbtomysql: unknown command \"" << args[0] << "\"\n" << CommandLineUsage();
  return 2;
}

}  // namespace cli
