#ifndef MDBTOMYSQL_CLI_PASSWORD_PROMPT_H_
#define MDBTOMYSQL_CLI_PASSWORD_PROMPT_H_

#include <optional>
#include <string>

namespace cli {

// Writes `prompt` to the controlling terminal (/dev/tty, not stdout, so that a redirected output
// stays clean) and reads one line from it with echo off; the terminal's settings come back
// afterwards, also when a signal ends the program meanwhile. Returns the line without its end,
// or nullopt when the process has no terminal.
std::optional<std::string> AskPasswordOnTerminal(const std::string& prompt);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_PASSWORD_PROMPT_H_
