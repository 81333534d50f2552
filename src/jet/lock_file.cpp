#include "jet/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace jet {
namespace {

std::string Stem(const std::string& path) {
  const size_t dot = path.find_last_of("./");
  return dot != std::string::npos && path[dot] == '.' ? path.substr(0, dot) : path;
}

}  // namespace

std::string LockFilePath(const std::string& database_path) {
  return Stem(database_path) + ".ldb";
}

std::string ExistingLockFile(const std::string& database_path) {
  const std::string stem = Stem(database_path);
  for (const char* extension : {".ldb", ".LDB"}) {
    struct stat st;
    if (::stat((stem + extension).c_str(), &st) == 0) return stem + extension;
  }
  return "";
}

bool HeldByAnother(int fd, bool write) {
  struct flock probe {};
  probe.l_type = write ? F_WRLCK : F_RDLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 0;
  probe.l_len = 0;  // the whole file
  // An open file description lock conflicts with every other process's fcntl lock.
  if (::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) return true;
  if (::flock(fd, (write ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) return errno == EWOULDBLOCK;
  ::flock(fd, LOCK_UN);
  return false;
}

std::string LiveLockFile(const std::string& database_path) {
  const std::string lock = ExistingLockFile(database_path);
  if (lock.empty()) return "";
  const int fd = ::open(lock.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    // A lock file this account cannot open is not one it can judge: take it as live.
    return errno == ENOENT ? "" : lock;
  }
  const bool live = HeldByAnother(fd, /*write=*/true);
  ::close(fd);
  return live ? lock : "";
}

bool LockExclusively(int fd) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return false;
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  whole.l_start = 0;
  whole.l_len = 0;
  if (::fcntl(fd, F_OFD_SETLK, &whole) != 0) {
    ::flock(fd, LOCK_UN);
    return false;
  }
  return true;
}

}  // namespace jet
