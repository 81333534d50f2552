#include "cli/usage.h"

#include <ostream>

namespace cli {

std::string CommandLineUsage() {
  return "usage:\n"
         "  mdbtomysql                          open the window\n"
         "  mdbtomysql tables FILE [--password PW]\n"
         "                                      list the tables of a .mdb file\n"
         "  mdbtomysql export FILE TABLE [--password PW]\n"
         "                                      write one table as tab-separated text\n"
         "  mdbtomysql check FILE [--password PW]\n"
         "                                      check every table and index of a .mdb file\n"
         "  mdbtomysql migrate --source FILE [--server H] [--port P] [--database D]\n"
         "                     [--user U] [--password PW] [--row-at-a-time] --yes\n"
         "                                      migrate the tables of a .mdb file to MySQL\n"
         "                                      (drops the MySQL tables of the same names)\n"
         "  mdbtomysql link --source FILE [--server H] [--port P] [--database D]\n"
         "                  [--user U] [--password PW]\n"
         "                                      back the .mdb file up beside it, then link its\n"
         "                                      tables to the MySQL tables of the same names\n"
         "The password of the .mdb file is qarnivel unless --password says otherwise\n"
         "(for migrate and link, --password is the MySQL password).\n";
}

int UsageError(const std::string& message, std::ostream& err) {
  err << "mdbtomysql: " << message << "\n" << CommandLineUsage();
  return 2;
}

}  // namespace cli
