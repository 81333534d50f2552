#include "cli/work_options.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <optional>

#include "forms/start_values.h"

namespace cli {

OptionNames WorkOptionNames(std::vector<std::string> extra_switches) {
  extra_switches.push_back("--quiet");
  return {{"--source", "--server", "--port", "--database", "--user"},
          std::move(extra_switches),
          {"--password"}};
}

std::string ReadWorkOptions(const Arguments& a, const Console& console, WorkOptions* options) {
  using forms::StartValues;
  if (!a.error.empty()) return a.error;
  if (!a.positional.empty()) return "unexpected argument " + a.positional[0];
  const std::optional<std::string> source = a.Option("--source");
  if (!source) return "--source FILE is required";
  options->source = *source;
  db::MySqlSettings& m = options->mysql;
  m.server = a.Option("--server").value_or(StartValues::kServer);
  m.port = a.Option("--port").value_or(StartValues::kPort);
  m.database = a.Option("--database").value_or(StartValues::kDatabase);
  m.user = a.Option("--user").value_or(StartValues::kUser);
  if (std::optional<std::string> given = a.Option("--password")) {
    m.password = *given;
  } else if (a.Flag("--password")) {
    std::optional<std::string> typed;
    if (console.ask_password) typed = console.ask_password("Enter password: ");
    if (!typed) return "--password without a value asks on a terminal, and there is none";
    m.password = *typed;
  } else if (std::optional<std::string> env =
                 console.environment ? console.environment("MYSQL_PWD") : std::nullopt) {
    m.password = *env;
  } else {
    m.password = StartValues::kPassword;
  }
  return {};
}

ProgressStyle StyleFor(const Arguments& a, const Console& console) {
  if (a.Flag("--quiet")) return ProgressStyle::kQuiet;
  return console.terminal ? ProgressStyle::kTerminal : ProgressStyle::kLines;
}

int TerminalWidth() {
  struct winsize size {};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace cli
