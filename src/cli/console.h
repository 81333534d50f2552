#ifndef MDBTOMYSQL_CLI_CONSOLE_H_
#define MDBTOMYSQL_CLI_CONSOLE_H_

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace cli {

// Where a subcommand meets the person or script that ran it: its two streams, whether `out` is
// a terminal (progress is then redrawn in place), how a password is asked for, and the
// environment. RunCommandLine fills it from the process; tests script it.
struct Console {
  std::ostream& out;
  std::ostream& err;
  bool terminal = false;
  // Asks for a password without echo; nullopt when there is no terminal to ask on.
  std::function<std::optional<std::string>(const std::string& prompt)> ask_password;
  // The value of an environment variable, or nullopt.
  std::function<std::optional<std::string>(const std::string& name)> environment;
};

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_CONSOLE_H_
