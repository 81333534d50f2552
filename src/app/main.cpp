#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_window_entry.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return app::RunMainWindow(argc, argv);
  return RunCommandLine(args, std::cout, std::cerr);
}
