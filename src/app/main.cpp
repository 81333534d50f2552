#include <iostream>
#include <string>
#include <vector>

#include "app/main_window_entry.h"
#include "cli/command_line.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return app::RunMainWindow(argc, argv);
  return cli::RunCommandLine(args, std::cout, std::cerr);
}
