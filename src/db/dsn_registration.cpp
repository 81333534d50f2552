#include "db/dsn_registration.h"

#include <fcntl.h>
#include <odbcinst.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "db/connection_strings.h"
#include "db/odbc_ini_file.h"

namespace db {
namespace {

std::vector<std::pair<std::string, std::string>> DsnPairs(
    const std::string& dsn_name, const std::string& server, const std::string& default_database,
    const std::string& user, const std::string& password, const std::string& port) {
  return {{"DSN", dsn_name},         {"Uid", user},  {"pwd", password},
          {"Server", server},        {"Port", port}, {"Database", default_database},
          {"User", user},            {"Password", password}, {"Option", "3"}};
}

std::string g_failure;

// Makes sure the user data source file exists before the installer writes to it, so that it is
// born readable by its owner only. An existing file keeps its mode.
void PrepareUserFile() {
  const std::string path = UserDataSourceFile();
  if (path.empty()) return;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
}

}  // namespace

std::string DsnAttributeList(const std::string& dsn_name, const std::string& server,
                             const std::string& default_database, const std::string& user,
                             const std::string& password, const std::string& port) {
  std::string list;
  for (const auto& [key, value] :
       DsnPairs(dsn_name, server, default_database, user, password, port)) {
    list += key + "=" + value;
    list += '\0';
  }
  list += '\0';
  return list;
}

std::string UserDataSourceFile() {
  if (const char* odbcini = std::getenv("ODBCINI"); odbcini && *odbcini) return odbcini;
  const passwd* pw = ::getpwuid(::getuid());
  if (!pw || !pw->pw_dir) return "";
  return std::string(pw->pw_dir) + "/.odbc.ini";
}

const std::string& LastRegistrationFailure() { return g_failure; }

bool AddMYSQLDSNConnection(const std::string& strDSNName, const std::string& /*strDescription*/,
                           const std::string& strServer, const std::string& strDefaultDatabase,
                           const std::string& roouser, const std::string& roopassword,
                           const std::string& sqlport) {
  g_failure.clear();
  try {
    const auto pairs =
        DsnPairs(strDSNName, strServer, strDefaultDatabase, roouser, roopassword, sqlport);
    // A line end in a value would end its line in the data source file and could start another
    // data source's section there: refused before anything is written, whichever way.
    for (const auto& [key, value] : pairs) {
      for (unsigned char c : value) {
        if (c < 0x20 || c == 0x7F) {
          g_failure = "the " + key + " value holds a line end or another control character, "
                      "which no data source file can keep; nothing was registered";
          return false;
        }
      }
    }
    std::string driver = kMySqlDriverName;
    driver += '\0';
    const std::string attributes =
        DsnAttributeList(strDSNName, strServer, strDefaultDatabase, roouser, roopassword, sqlport);
    // The installer writes the file itself in this way too, so make sure it is born private.
    PrepareUserFile();
    if (SQLConfigDataSource(nullptr, ODBC_ADD_DSN, driver.c_str(), attributes.c_str()))
      return true;
    // The driver has no setup library: the same pairs, the driver first, written into the user
    // data source file in one atomic rewrite (the installer's profile calls rewrite the whole file
    // once per key, without a lock).
    std::vector<std::pair<std::string, std::string>> section = {{"Driver", kMySqlDriverName}};
    for (const auto& pair : pairs)
      if (pair.first != "DSN") section.push_back(pair);
    const std::string path = UserDataSourceFile();
    if (path.empty()) {
      g_failure = "this account has no home folder for its data source file";
      return false;
    }
    return WriteIniSection(path, strDSNName, section, &g_failure);
  } catch (const std::exception& e) {
    g_failure = e.what();
    return false;
  }
}

}  // namespace db
