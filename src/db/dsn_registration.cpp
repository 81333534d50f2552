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

namespace db {
namespace {

std::vector<std::pair<std::string, std::string>> DsnPairs(
    const std::string& dsn_name, const std::string& server, const std::string& default_database,
    const std::string& user, const std::string& password, const std::string& port) {
  return {{"DSN", dsn_name},         {"Uid", user},  {"pwd", password},
          {"Server", server},        {"Port", port}, {"Database", default_database},
          {"User", user},            {"Password", password}, {"Option", "3"}};
}

// Makes sure the user data source file exists before the installer writes to it, so that it is
// born readable by its owner only. An existing file keeps its mode.
bool PrepareUserFile() {
  const std::string path = UserDataSourceFile();
  if (path.empty()) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool WriteWithProfileCalls(const std::vector<std::pair<std::string, std::string>>& pairs,
                           const std::string& dsn_name) {
  if (dsn_name.empty() || !PrepareUserFile()) return false;
  UWORD previous_mode = ODBC_BOTH_DSN;
  SQLGetConfigMode(&previous_mode);
  SQLSetConfigMode(ODBC_USER_DSN);
  // Writing the driver replaces any section of the same name.
  bool ok = SQLWriteDSNToIni(dsn_name.c_str(), kMySqlDriverName);
  for (const auto& [key, value] : pairs) {
    if (!ok) break;
    if (key == "DSN") continue;
    ok = SQLWritePrivateProfileString(dsn_name.c_str(), key.c_str(), value.c_str(), "odbc.ini");
  }
  SQLSetConfigMode(previous_mode);
  return ok;
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

bool AddMYSQLDSNConnection(const std::string& strDSNName, const std::string& /*strDescription*/,
                           const std::string& strServer, const std::string& strDefaultDatabase,
                           const std::string& roouser, const std::string& roopassword,
                           const std::string& sqlport) {
  try {
    std::string driver = kMySqlDriverName;
    driver += '\0';
    const std::string attributes =
        DsnAttributeList(strDSNName, strServer, strDefaultDatabase, roouser, roopassword, sqlport);
    // The installer writes the file itself in this way too, so make sure it is born private.
    PrepareUserFile();
    if (SQLConfigDataSource(nullptr, ODBC_ADD_DSN, driver.c_str(), attributes.c_str()))
      return true;
    return WriteWithProfileCalls(
        DsnPairs(strDSNName, strServer, strDefaultDatabase, roouser, roopassword, sqlport),
        strDSNName);
  } catch (...) {
    return false;
  }
}

}  // namespace db
