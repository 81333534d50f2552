#ifndef MDBTOMYSQL_TESTS_CLI_PTY_RUN_H_
#define MDBTOMYSQL_TESTS_CLI_PTY_RUN_H_

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

namespace clitest {

struct PtyOutcome {
  int status = -1;     // the child's exit status
  std::string screen;  // everything the terminal showed
};

// Runs `child` in a forked process whose controlling terminal, standard input, output and error
// are a new pseudo-terminal of 200 columns, and plays the person at it: once the terminal shows
// `wait_for` (when not empty), types `typed`. Gives up after 60 seconds.
inline PtyOutcome RunOnTerminal(const std::function<int()>& child, const std::string& wait_for = {},
                                const std::string& typed = {}) {
  int master = -1;
  struct winsize size {};
  size.ws_col = 200;
  size.ws_row = 50;
  const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
  if (pid == 0) {
    const int status = child();
    fflush(nullptr);
    _exit(status);
  }
  PtyOutcome o;
  bool typed_yet = wait_for.empty() && typed.empty();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (;;) {
    if (!typed_yet && o.screen.find(wait_for) != std::string::npos) {
      (void)!write(master, typed.data(), typed.size());
      typed_yet = true;
    }
    struct pollfd p {master, POLLIN, 0};
    if (poll(&p, 1, 200) > 0) {
      char buffer[4096];
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n <= 0) break;  // EIO: the child closed its side
      o.screen.append(buffer, size_t(n));
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      break;
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  close(master);
  return o;
}

}  // namespace clitest

#endif  // MDBTOMYSQL_TESTS_CLI_PTY_RUN_H_
