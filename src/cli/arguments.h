#ifndef MDBTOMYSQL_CLI_ARGUMENTS_H_
#define MDBTOMYSQL_CLI_ARGUMENTS_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cli {

// Positional arguments and "--name value" options of one subcommand.
struct Arguments {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> flags;
  std::string error;  // the first thing wrong with the words, for the usage message

  std::optional<std::string> Option(const std::string& name) const;
  bool Flag(const std::string& name) const;
};

// Splits `args` after the subcommand (args[0]); `valued` names the options that take a value,
// `switches` those that do not.
Arguments SplitArguments(const std::vector<std::string>& args,
                         const std::vector<std::string>& valued,
                         const std::vector<std::string>& switches);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_ARGUMENTS_H_
