#include "cli/password_prompt.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iterator>

namespace cli {
namespace {

// The terminal's settings while the echo is off, for the signal handler to put back.
int g_tty = -1;
struct termios g_saved;

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void RestoreAndRaise(int signal_number) {
  if (g_tty >= 0) tcsetattr(g_tty, TCSAFLUSH, &g_saved);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += size_t(n);
  }
}

std::string ReadLine(int fd) {
  std::string line;
  char c;
  for (;;) {
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || c == '\n') break;
    line.push_back(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

std::optional<std::string> AskPasswordOnTerminal(const std::string& prompt) {
  const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) return std::nullopt;
  struct termios saved;
  const bool is_terminal = tcgetattr(tty, &saved) == 0;
  if (!is_terminal) {
    close(tty);
    return std::nullopt;
  }
  struct sigaction restore {}, previous[std::size(kSignals)];
  restore.sa_handler = RestoreAndRaise;
  sigemptyset(&restore.sa_mask);
  g_saved = saved;
  g_tty = tty;
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &restore, &previous[i]);

  struct termios quiet = saved;
  quiet.c_lflag &= tcflag_t(~(ECHO | ECHOE | ECHOK | ECHONL));
  quiet.c_lflag |= ICANON;
  // Echo off before the prompt shows, so that nothing typed after it is ever echoed.
  tcsetattr(tty, TCSADRAIN, &quiet);
  WriteAll(tty, prompt);
  std::string line = ReadLine(tty);
  tcsetattr(tty, TCSAFLUSH, &saved);
  WriteAll(tty, "\n");  // the Enter the person typed was not echoed

  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous[i], nullptr);
  g_tty = -1;
  close(tty);
  return line;
}

}  // namespace cli
