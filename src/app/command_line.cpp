#include "app/command_line.h"

#include <optional>
#include <ostream>

#include "db/source_session.h"
#include "jet/tools.h"

namespace {

// Positional arguments and "--name value" options of one subcommand.
struct Arguments {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> flags;
  std::string error;

  std::optional<std::string> Option(const std::string& name) const {
    for (const auto& [k, v] : options)
      if (k == name) return v;
    return std::nullopt;
  }
  bool Flag(const std::string& name) const {
    for (const auto& f : flags)
      if (f == name) return true;
    return false;
  }
};

// Splits `args` (after the subcommand); `valued` names the options that take a value.
Arguments Split(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                const std::vector<std::string>& switches) {
  Arguments a;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      a.positional.push_back(arg);
      continue;
    }
    bool known = false;
    for (const auto& v : valued) {
      if (arg != v) continue;
      known = true;
      if (i + 1 >= args.size()) {
        a.error = arg + " needs a value";
      } else {
        a.options.emplace_back(arg, args[++i]);
      }
    }
    for (const auto& s : switches) {
      if (arg != s) continue;
      known = true;
      a.flags.push_back(arg);
    }
    if (!known && a.error.empty()) a.error = "unknown option " + arg;
  }
  return a;
}

int UsageError(const std::string& message, std::ostream& err) {
  err << "mdbtomysql: " << message << "\n" << CommandLineUsage();
  return 2;
}

}  // namespace

std::string CommandLineUsage() {
  return "usage:\n"
         "  mdbtomysql                          open the window\n"
         "  mdbtomysql tables FILE [--password PW]\n"
         "                                      list the tables of a .mdb file\n"
         "  mdbtomysql export FILE TABLE [--password PW]\n"
         "                                      write one table as tab-separated text\n"
         "The password of the .mdb file is qarnivel unless --password says otherwise.\n";
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << CommandLineUsage();
    return args.empty() ? 2 : 0;
  }
  const std::string& command = args[0];
  if (command == "tables" || command == "export") {
    const Arguments a = Split(args, {"--password"}, {});
    const size_t wanted = command == "tables" ? 1 : 2;
    if (!a.error.empty()) return UsageError(a.error, err);
    if (a.positional.size() != wanted) return UsageError("wrong number of arguments", err);
    const std::string password = a.Option("--password").value_or(db::kSourcePassword);
    if (command == "tables") return jet::RunTablesCommand(a.positional[0], password, out, err);
    return jet::RunExportCommand(a.positional[0], a.positional[1], password, out, err);
  }
  err << "mdbtomysql: unknown command \"" << args[0] << "\"\n" << CommandLineUsage();
  return 2;
}
