// The password prompt on a pseudo-terminal: nothing typed is echoed, the terminal's settings
// come back, and a process without a terminal is told so.
#include "cli/password_prompt.h"

#include <gtest/gtest.h>
#include <termios.h>

#include "cli/pty_run.h"

namespace {

TEST(AskPasswordOnTerminal, ReadsALineWithoutEchoAndRestoresTheTerminal) {
  const clitest::PtyOutcome o = clitest::RunOnTerminal(
      [] {
        const std::optional<std::string> typed = cli::AskPasswordOnTerminal("Enter password: ");
        struct termios after;
        tcgetattr(STDIN_FILENO, &after);
        // Written to the terminal for the parent to read: the line as received, and the echo.
        printf("[got %s, echo %s]\n", typed ? typed->c_str() : "nothing",
               (after.c_lflag & ECHO) ? "on" : "off");
        return 0;
      },
      "Enter password: ", "Se cr3t'pw\n");
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.screen.find("Enter password: "), std::string::npos) << o.screen;
  EXPECT_NE(o.screen.find("[got Se cr3t'pw, echo on]"), std::string::npos) << o.screen;
  EXPECT_EQ(o.screen.find("Se cr3t'pw\r"), std::string::npos) << "the typed line was echoed";
  EXPECT_EQ(o.screen.find("Se cr3t'pw"), o.screen.find("[got Se cr3t'pw") + 5)
      << "the line shows only where the child printed it\n" << o.screen;
}

TEST(AskPasswordOnTerminal, AProcessWithoutATerminalIsToldSo) {
  const pid_t pid = fork();
  if (pid == 0) {
    setsid();  // a new session has no controlling terminal
    _exit(cli::AskPasswordOnTerminal("Enter password: ") ? 1 : 0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
