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

// The option names of one subcommand: `valued` take a value ("--name value" or "--name=value"),
// `switches` take none, and `optional` take one when the next word is one (it does not begin
// with "-") or when written "--name=value"; without a value they count as a flag. "-p" stands for
// "--password" when that is an optional one, and never takes the next word, as the mariadb
// client has it.
struct OptionNames {
  std::vector<std::string> valued;
  std::vector<std::string> switches;
  std::vector<std::string> optional = {};
};

// Splits `args` after the subcommand (args[0]).
Arguments SplitArguments(const std::vector<std::string>& args, const OptionNames& names);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_ARGUMENTS_H_
