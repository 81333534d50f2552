#ifndef MDBTOMYSQL_APP_MAIN_WINDOW_ENTRY_H_
#define MDBTOMYSQL_APP_MAIN_WINDOW_ENTRY_H_

namespace app {

// Starts Qt, shows the main window and runs until the window is closed or Exit is pressed.
// Returns the program's exit status.
int RunMainWindow(int argc, char** argv);

}  // namespace app

#endif  // MDBTOMYSQL_APP_MAIN_WINDOW_ENTRY_H_
