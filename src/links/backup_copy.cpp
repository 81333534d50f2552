#include "links/backup_copy.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/ascii_case.h"
#include "base/remove_on_signal.h"
#include "db/error.h"

namespace links {
namespace {

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
  std::string out;
  size_t start = 0;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, start)) {
    out.append(text, start, at - start);
    out += to;
    start = at + from.size();
  }
  out.append(text, start);
  return out;
}

// The run-time error numbers the command's trap knows: 70 is the one it explains itself.
[[noreturn]] void RaiseErrno(int error, const std::string& what) {
  const std::string reason = std::strerror(error);
  switch (error) {
    case EACCES:
    case EPERM:
      throw db::Error(70, "Permission denied: " + what + " (" + reason + ")");
    case ENOENT:
      throw db::Error(53, "File not found: " + what);
    case ENOSPC:
    case EDQUOT:
      throw db::Error(61, "Disk full: " + what + " (" + reason + ")");
    default:
      throw db::Error(75, "Path/File access error: " + what + " (" + reason + ")");
  }
}

// Closes a descriptor when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports the error close may carry (a write that failed late, on NFS say).
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

void WriteAll(int fd, const char* data, size_t size, const std::string& what) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseErrno(errno, what);
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void CopyContents(int from, int to, const std::string& source, const std::string& temp) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = ::read(from, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseErrno(errno, "cannot read " + source);
    }
    if (n == 0) return;
    WriteAll(to, buffer.data(), static_cast<size_t>(n), "cannot write " + temp);
  }
}

[[noreturn]] void RaiseExists(const std::string& destination) {
  throw db::Error(58, "File already exists: the backup copy " + destination +
                          " is there already and is never replaced; nothing was changed");
}

void SyncFolder(const std::string& folder) {
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) RaiseErrno(errno, "cannot open the folder " + folder);
  if (::fsync(dir.get()) != 0) RaiseErrno(errno, "cannot sync the folder " + folder);
}

// Where the folder's file system has no unnamed files: a temporary file of its own, removed on a
// failure and on the signals that end a process, then given its name without replacing one.
void CopyThroughNamedFile(int from, mode_t mode, const std::string& source,
                          const std::string& destination, const std::string& folder) {
  const size_t slash = destination.rfind('/');
  const std::string base = slash == std::string::npos ? destination : destination.substr(slash + 1);
  std::string temp = (slash == std::string::npos ? "" : folder) + "." + base + ".XXXXXX";
  Descriptor to(::mkostemp(temp.data(), O_CLOEXEC));
  if (to.get() < 0) RaiseErrno(errno, "cannot create a file in the folder " + folder);
  base::RemoveOnSignal guard(temp);
  try {
    if (::fchmod(to.get(), mode & 0777) != 0) RaiseErrno(errno, "cannot set the mode of " + temp);
    CopyContents(from, to.get(), source, temp);
    if (::fsync(to.get()) != 0) RaiseErrno(errno, "cannot sync " + temp);
    if (to.Close() != 0) RaiseErrno(errno, "cannot write " + temp);
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) != 0) {
      if (errno == EEXIST) RaiseExists(destination);
      RaiseErrno(errno, "cannot rename " + temp + " to " + destination);
    }
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  SyncFolder(folder);
}

}  // namespace

std::optional<std::string> BackupPath(const std::string& source_path,
                                      const std::string& date_digits,
                                      const std::string& time_digits) {
  const size_t slash = source_path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : source_path.substr(0, slash + 1);
  const std::string file =
      slash == std::string::npos ? source_path : source_path.substr(slash + 1);
  // The base name as the system has always taken it: after the last backslash.
  const size_t backslash = file.rfind('\\');
  const std::string name =
      ReplaceAll(base::ToUpperAscii(backslash == std::string::npos ? file : file.substr(backslash + 1)),
                 ".MDB", "");
  const std::string upper_file = base::ToUpperAscii(file);
  const std::string stamped =
      ReplaceAll(upper_file, name + ".MDB", name + date_digits + time_digits + ".MDB");
  if (stamped == upper_file) return std::nullopt;
  return folder + stamped;
}

void DurableCopy(const std::string& source, const std::string& destination) {
  Descriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (from.get() < 0) RaiseErrno(errno, "cannot read " + source);
  if (::flock(from.get(), LOCK_SH | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK)
      throw db::Error(70, "Permission denied: another program is writing " + source);
    RaiseErrno(errno, "cannot lock " + source);
  }
  // Access under Wine or over Samba takes fcntl locks, which flock does not see.
  struct flock probe {};
  probe.l_type = F_RDLCK;
  probe.l_whence = SEEK_SET;
  if (::fcntl(from.get(), F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) {
    throw db::Error(70, "Permission denied: another program is writing " + source);
  }
  struct stat st;
  if (::fstat(from.get(), &st) != 0) RaiseErrno(errno, "cannot read " + source);
  if (!S_ISREG(st.st_mode)) throw db::Error(75, "Path/File access error: " + source +
                                                " is not a regular file");
  // A name already taken is refused before a byte is copied; the final link refuses it again,
  // should another copy take the name meanwhile.
  if (::access(destination.c_str(), F_OK) == 0) RaiseExists(destination);

  const size_t slash = destination.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : destination.substr(0, slash + 1);
  // An unnamed file in the destination's folder: a copy cut short by a crash or a kill leaves
  // nothing behind, and it gets its name only once it is whole on disk.
  Descriptor to(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, st.st_mode & 0777));
  if (to.get() < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    CopyThroughNamedFile(from.get(), st.st_mode, source, destination, folder);
    return;
  }
  if (to.get() < 0) RaiseErrno(errno, "cannot create a file in the folder " + folder);
  if (::fchmod(to.get(), st.st_mode & 0777) != 0) RaiseErrno(errno, "cannot set the mode of the copy");
  CopyContents(from.get(), to.get(), source, destination);
  if (::fsync(to.get()) != 0) RaiseErrno(errno, "cannot sync the copy of " + source);
  const std::string self = "/proc/self/fd/" + std::to_string(to.get());
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, destination.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    if (errno == EEXIST) RaiseExists(destination);
    RaiseErrno(errno, "cannot name the copy " + destination);
  }
  if (to.Close() != 0) RaiseErrno(errno, "cannot write " + destination);
  SyncFolder(folder);
}

}  // namespace links
