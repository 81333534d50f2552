#ifndef MDBTOMYSQL_CLI_EXIT_STATUS_H_
#define MDBTOMYSQL_CLI_EXIT_STATUS_H_

namespace cli {

// The exit statuses of every subcommand, as the usage text and the README list them. Scripts
// tell a refusal before anything started (3, 4) from a command that ran and failed (1).
inline constexpr int kExitSuccess = 0;
// The command ran and failed: "FAIL", damage found by check, a row the server refused.
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// The .mdb file is missing or does not open (not a Jet 4 file, wrong password).
inline constexpr int kExitSourceUnreadable = 3;
// The MySQL server cannot be reached or refuses the login.
inline constexpr int kExitServerUnreachable = 4;
// verify ran to its end and found MySQL different from what the migration sends.
inline constexpr int kExitDifferences = 5;

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_EXIT_STATUS_H_
