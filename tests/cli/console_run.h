#ifndef MDBTOMYSQL_TESTS_CLI_CONSOLE_RUN_H_
#define MDBTOMYSQL_TESTS_CLI_CONSOLE_RUN_H_

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "db/connection.h"
#include "support/test_env.h"

namespace clitest {

struct Outcome {
  int status = -1;
  std::string out, err;
  std::vector<std::string> prompts;  // what the command asked for on the terminal
  std::string All() const { return out + err; }
};

// A scripted console: not a terminal; `typed` answers a password prompt (none: no terminal);
// `environment` is the whole environment.
struct ScriptedConsole {
  std::optional<std::string> typed;
  std::map<std::string, std::string> environment;

  Outcome Run(const std::vector<std::string>& args) const {
    Outcome o;
    std::ostringstream out, err;
    cli::Console console{out, err, false,
                         [&](const std::string& prompt) -> std::optional<std::string> {
                           o.prompts.push_back(prompt);
                           return typed;
                         },
                         [&](const std::string& name) -> std::optional<std::string> {
                           auto it = environment.find(name);
                           if (it == environment.end()) return std::nullopt;
                           return it->second;
                         }};
    o.status = cli::RunCommandLine(args, console);
    o.out = out.str();
    o.err = err.str();
    return o;
  }
};

inline Outcome Run(const std::vector<std::string>& args) { return ScriptedConsole{}.Run(args); }

// The options that point a work command at database `database` of the test server.
inline std::vector<std::string> At(std::vector<std::string> args, const std::string& database) {
  for (const std::string& word : {std::string("--server"), std::string("127.0.0.1"),
                                  std::string("--port"),
                                  std::to_string(testenv::TestServer()->port),
                                  std::string("--database"), database})
    args.push_back(word);
  return args;
}

// A statement as root on the test server.
inline void Admin(const std::string& statement) {
  db::Connection admin;
  admin.Open(testenv::TestServerConnectionString());
  admin.Execute(statement);
}

inline void FreshDatabase(const std::string& name) {
  Admin("DROP DATABASE IF EXISTS " + name);
  Admin("CREATE DATABASE " + name);
}

}  // namespace clitest

#endif  // MDBTOMYSQL_TESTS_CLI_CONSOLE_RUN_H_
