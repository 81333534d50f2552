#include "migrate/row_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace migrate {
namespace {

[[noreturn]] void Fail(const std::string& what, int error) {
  throw RowPipeError(db::kProviderError, "row pipe: " + what + ": " + std::strerror(error));
}

void CloseIfOpen(int* fd) {
  if (*fd >= 0) ::close(*fd);
  *fd = -1;
}

}  // namespace

RowPipe::RowPipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) Fail("cannot make a pipe", errno);
  read_fd_ = fds[0];
  write_fd_ = fds[1];
  wake_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_fd_ < 0) {
    const int error = errno;
    CloseIfOpen(&read_fd_);
    CloseIfOpen(&write_fd_);
    Fail("cannot make an event descriptor", error);
  }
  // Only this end waits, and only in poll, where an abandoned pipe wakes it. The reader opens
  // the pipe anew by its path, with flags of its own.
  ::fcntl(write_fd_, F_SETFL, ::fcntl(write_fd_, F_GETFL) | O_NONBLOCK);
  // A larger pipe lets the two sides run with fewer switches; the system's default still works.
  ::fcntl(write_fd_, F_SETPIPE_SZ, kPipeBytes);
  path_ = "/proc/self/fd/" + std::to_string(read_fd_);
  if (::access(path_.c_str(), R_OK) != 0) {
    const int error = errno;
    CloseIfOpen(&read_fd_);
    CloseIfOpen(&write_fd_);
    CloseIfOpen(&wake_fd_);
    Fail("this system does not let a process read its own pipes by descriptor", error);
  }
  buffer_.reserve(kBufferBytes + (64 << 10));
}

RowPipe::~RowPipe() {
  CloseIfOpen(&write_fd_);
  CloseIfOpen(&read_fd_);
  CloseIfOpen(&wake_fd_);
}

bool RowPipe::Append(const std::string& line) {
  if (abandoned_.load()) return false;
  buffer_ += line;
  return buffer_.size() < kBufferBytes || Send();
}

bool RowPipe::Finish() {
  const bool sent = !abandoned_.load() && Send();
  CloseIfOpen(&write_fd_);
  return sent;
}

void RowPipe::Abandon() {
  abandoned_.store(true);
  const uint64_t one = 1;
  // The counter cannot overflow from a few calls; a failed write leaves the flag, which the
  // writer reads before every wait.
  [[maybe_unused]] ssize_t n = ::write(wake_fd_, &one, sizeof one);
}

bool RowPipe::Send() {
  size_t done = 0;
  while (done < buffer_.size()) {
    if (abandoned_.load() || write_fd_ < 0) return false;
    const ssize_t n = ::write(write_fd_, buffer_.data() + done, buffer_.size() - done);
    if (n > 0) {
      done += size_t(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd waits[2] = {{write_fd_, POLLOUT, 0}, {wake_fd_, POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0 && errno != EINTR) return false;
    if (waits[1].revents != 0) return false;
  }
  buffer_.clear();
  return true;
}

}  // namespace migrate
