#include "cli/preflight.h"

#include "base/error.h"
#include "base/trim.h"
#include "cli/exit_status.h"
#include "db/providers.h"
#include "db/source_session.h"
#include "forms/path_helpers.h"

namespace cli {

int CheckSource(const std::string& path, ui::Screen& screen) {
  if (base::TrimSpaces(path).empty()) {
    screen.MessageBox("Source Path (.mdb) is required.", "Required", ui::Icon::kInformation);
    return kExitSourceUnreadable;
  }
  if (!forms::FileExists(path)) {
    screen.MessageBox("The source path (.mdb) does not exist.", "File Not Exist",
                      ui::Icon::kInformation);
    return kExitSourceUnreadable;
  }
  try {
    db::OpenSession(db::SourceConnectionString(path, db::kSourcePassword));
  } catch (const std::exception& e) {
    screen.MessageBox(
        "Unable to connect to the source database (.mdb). Please make sure that the selected "
        "file is the correct database.",
        "Connection Fail", ui::Icon::kInformation, base::DescriptionOf(e));
    return kExitSourceUnreadable;
  }
  return kExitSuccess;
}

std::unique_ptr<db::Session> OpenMySql(const db::MySqlSettings& settings, ui::Screen& screen) {
  try {
    return db::OpenSession(db::MySqlConnectionString(settings));
  } catch (const std::exception& e) {
    screen.MessageBox("Unable to connect to the MySQL database (" + settings.database +
                          "). Please make sure that the MYSQL connection is set up correctly.",
                      "Connection Fail", ui::Icon::kInformation,
                      WithoutPassword(base::DescriptionOf(e), settings.password));
    return nullptr;
  }
}

std::string WithoutPassword(std::string text, const std::string& password) {
  if (password.empty()) return text;
  for (size_t at = text.find(password); at != std::string::npos;
       at = text.find(password, at + 3))
    text.replace(at, password.size(), "***");
  return text;
}

}  // namespace cli
