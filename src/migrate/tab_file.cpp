#include "migrate/tab_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "db/error.h"

namespace migrate {
namespace {

// The path goes into a LOAD DATA statement between single quotes.
bool UsableInStatement(const std::string& directory) {
  if (directory.empty() || directory[0] != '/') return false;
  for (char c : directory)
    if (c == '\'' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

[[noreturn]] void Fail(const std::string& what, int error) {
  throw TabFileError(db::kProviderError,
                     "temporary row file: " + what + ": " + std::strerror(error));
}

}  // namespace

TabFile::TabFile() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string directory = tmpdir && UsableInStatement(tmpdir) ? tmpdir : "/tmp";
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  fd_ = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    // A file system without unnamed files: a named one, unlinked before a row is in it. mkstemp
    // creates it with mode 0600 and fails rather than reuse an existing name.
    std::string name = directory + "/mdbtomysql-rows-XXXXXX";
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) Fail("cannot create a file in " + directory, errno);
    ::unlink(name.c_str());
  }
  path_ = "/proc/self/fd/" + std::to_string(fd_);
  if (::access(path_.c_str(), R_OK) != 0) {
    const int error = errno;
    ::close(fd_);
    Fail("this system does not let a process read its own files by descriptor", error);
  }
  buffer_.reserve(kBufferBytes + (64 << 10));
}

TabFile::~TabFile() { ::close(fd_); }

void TabFile::Append(const std::string& line) {
  buffer_ += line;
  bytes_ += line.size();
  if (buffer_.size() >= kBufferBytes) Flush();
}

void TabFile::Flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write " + path_, errno);
    }
    done += size_t(n);
  }
  buffer_.clear();
}

void TabFile::Clear() {
  buffer_.clear();
  bytes_ = 0;
  if (ftruncate(fd_, 0) != 0) Fail("cannot empty " + path_, errno);
  if (lseek(fd_, 0, SEEK_SET) != 0) Fail("cannot rewind " + path_, errno);
}

}  // namespace migrate
