#ifndef MDBTOMYSQL_CLI_USAGE_H_
#define MDBTOMYSQL_CLI_USAGE_H_

#include <iosfwd>
#include <string>

namespace cli {

// The usage text.
std::string CommandLineUsage();

// "mdbtomysql: " + `message` and the usage text on `err`; returns 2, the status of a usage error.
int UsageError(const std::string& message, std::ostream& err);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_USAGE_H_
