#ifndef MDBTOMYSQL_CLI_PREFLIGHT_H_
#define MDBTOMYSQL_CLI_PREFLIGHT_H_

#include <memory>
#include <string>

#include "db/connection_strings.h"
#include "db/session.h"
#include "ui/screen.h"

namespace cli {

// The checks a work command makes before it changes anything, each refusal said on `screen` in
// the main window's words and given its exit status.

// The source path is filled in, names a file, and the file opens as the source database with the
// fixed password: kExitSuccess, else kExitSourceUnreadable.
int CheckSource(const std::string& path, ui::Screen& screen);

// A session on the MySQL server of `settings`, or null after the refusal was said (the exit
// status is then kExitServerUnreachable). The password never appears in what is said.
std::unique_ptr<db::Session> OpenMySql(const db::MySqlSettings& settings, ui::Screen& screen);

// `text` with every occurrence of `password` written as "***".
std::string WithoutPassword(std::string text, const std::string& password);

}  // namespace cli

#endif  // MDBTOMYSQL_CLI_PREFLIGHT_H_
