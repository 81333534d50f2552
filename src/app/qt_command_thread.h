#ifndef MDBTOMYSQL_APP_QT_COMMAND_THREAD_H_
#define MDBTOMYSQL_APP_QT_COMMAND_THREAD_H_

#include <functional>

class QWidget;

namespace app {

// Runs a command that may take minutes (a migration, a relink, a connection test) on a thread of
// its own and returns when it has ended, as if it had run right here. Meanwhile this thread keeps
// the windows alive: they are repainted, the progress window and the message boxes come and go
// as the command asks (through RunOnUiThread), and the desktop sees a program that answers.
// `window` takes no input while the command runs, and closing it is refused, as the modal
// message boxes of the command would refuse it. An exception of the command is thrown again
// here. A command asked for while one runs is not started.
void RunCommandThread(QWidget& window, const std::function<void()>& command);

// True while a command started by RunCommandThread runs.
bool CommandThreadRunning();

}  // namespace app

#endif  // MDBTOMYSQL_APP_QT_COMMAND_THREAD_H_
