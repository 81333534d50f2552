#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << "mdbtomysql: the window is not part of this build yet; see --help\n";
    return 2;
  }
  return RunCommandLine(args, std::cout, std::cerr);
}
