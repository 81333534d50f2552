#include "cli/usage.h"

#include <ostream>

#include "cli/exit_status.h"

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
         "  mdbtomysql migrate --source FILE [MYSQL] [--row-at-a-time] [--quiet] --yes\n"
         "                                      migrate the tables of a .mdb file to MySQL\n"
         "                                      (drops the MySQL tables of the same names)\n"
         "  mdbtomysql migrate --source FILE [MYSQL] --dry-run\n"
         "                                      print every statement the migration would send,\n"
         "                                      the rows as one line per table; change nothing\n"
         "  mdbtomysql link --source FILE [MYSQL] [--quiet] [--dry-run]\n"
         "                                      back the .mdb file up beside it, then link its\n"
         "                                      tables to the MySQL tables of the same names\n"
         "                                      (--dry-run: print the plan, change nothing)\n"
         "  mdbtomysql verify --source FILE [MYSQL] [--quiet]\n"
         "                                      compare every migrated table in MySQL with what\n"
         "                                      the migration sends for the file, value by value\n"
         "MYSQL: [--server H] [--port P] [--database D] [--user U] [--password [PW] | -p]\n"
         "  The window's values stand where an option is missing: localhost, 3306,\n"
         "  VELDA_MYSQL, root, no password.\n"
         "  --password alone or -p asks for the MySQL password on the terminal without echo.\n"
         "  Without a password option, MYSQL_PWD from the environment is used when it is set.\n"
         "  A password given as an argument is visible to other users of this computer (ps);\n"
         "  prefer -p or MYSQL_PWD.\n"
         "The password of the .mdb file is qarnivel unless --password says otherwise\n"
         "(for migrate, link and verify, --password is the MySQL password).\n"
         "On a terminal the progress of each table is redrawn in place; otherwise one line is\n"
         "printed per table when it ends. --quiet prints only messages and the result.\n"
         "Exit status:\n"
         "  0  success (verify: MySQL holds what the migration sends)\n"
         "  1  the command failed (FAIL, damage found by check)\n"
         "  2  usage error\n"
         "  3  the .mdb file is missing or cannot be opened\n"
         "  4  the MySQL server cannot be reached or refuses the login\n"
         "  5  verify found differences\n";
}

int UsageError(const std::string& message, std::ostream& err) {
  err << "mdbtomysql: " << message << "\n" << CommandLineUsage();
  return kExitUsage;
}

}  // namespace cli
