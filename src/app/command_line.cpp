#include "app/command_line.h"

#include <ostream>

std::string CommandLineUsage() {
  return "usage:\n"
         "  mdbtomysql                          open the window\n"
         "  mdbtomysql tables FILE [--password PW]\n"
         "                                      list the tables of a .mdb file\n"
         "  mdbtomysql export FILE TABLE [--password PW]\n"
         "                                      write one table as tab-separated text\n"
         "The password of the .mdb file is qarnivel unless --password says otherwise.\n";
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << CommandLineUsage();
    return args.empty() ? 2 : 0;
  }
  err << "mdbtomysql: unknown command \"" << args[0] << "\"\n" << CommandLineUsage();
  return 2;
}
