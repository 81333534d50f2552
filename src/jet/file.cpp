#include "jet/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "jet/error.h"
#include "jet/lock_file.h"

namespace jet {
namespace {

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A path that names something other than a file (a FIFO, a device, a folder) is never read:
// reading a FIFO would wait for a writer forever.
Error NotRegular(const std::string& path, const struct stat& st) {
  const char* what = S_ISFIFO(st.st_mode)                         ? "a named pipe (FIFO)"
                     : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
                     : S_ISDIR(st.st_mode)                        ? "a folder"
                     : S_ISSOCK(st.st_mode)                       ? "a socket"
                                                                  : "no regular file";
  return Error(path + ": this is " + what +
               ", not a database file; give the path of the .mdb file");
}

}  // namespace

PageFile::PageFile(std::string name, int fd, uint64_t size, std::string memory)
    : name_(std::move(name)), fd_(fd), size_(size), memory_(std::move(memory)) {}

PageFile::~PageFile() {
  EndWriting();
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<PageFile> PageFile::OpenReadOnly(const std::string& path) {
  // Opening a FIFO for reading waits for a writer, and opening a device may act on it: look
  // first, and open without waiting in case the path changes in between.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) throw NotRegular(path, st);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    throw Error(path + ": cannot open the file (" + std::strerror(errno) + ")");
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw NotRegular(path, st);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::unique_ptr<PageFile> file(
      new PageFile(BaseName(path), fd, static_cast<uint64_t>(st.st_size), std::string()));
  file->path_ = path;
  file->seen_ = StampOf(st);
  return file;
}

PageFile::Stamp PageFile::StampOf(const struct stat& st) {
  Stamp stamp;
  stamp.size = static_cast<uint64_t>(st.st_size);
  stamp.modified_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.changed_ns = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return stamp;
}

bool PageFile::TakeOutsideChange() {
  if (fd_ < 0 || writing()) return false;
  struct stat st;
  if (::fstat(fd_, &st) != 0) return false;
  const Stamp now = StampOf(st);
  if (now == seen_) return false;
  seen_ = now;
  size_ = now.size;
  return true;
}

std::unique_ptr<PageFile> PageFile::FromMemory(std::string name, std::string bytes) {
  uint64_t size = bytes.size();
  return std::unique_ptr<PageFile>(new PageFile(std::move(name), -1, size, std::move(bytes)));
}

size_t PageFile::ReadAt(uint64_t offset, uint8_t* out, size_t length) const {
  if (offset >= size_) return 0;
  if (length > size_ - offset) length = static_cast<size_t>(size_ - offset);
  if (fd_ < 0) {
    std::memcpy(out, memory_.data() + offset, length);
    return length;
  }
  size_t done = 0;
  while (done < length) {
    ssize_t n = ::pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Error(name_ + ": read error at byte " + std::to_string(offset + done) + " (" +
                  std::strerror(errno) + ")");
    }
    if (n == 0) break;  // the file shrank under us
    done += static_cast<size_t>(n);
  }
  return done;
}

void PageFile::ReadPage(PageNumber n, uint8_t* out) const {
  if (n >= page_count()) {
    throw Error(name_ + ": page " + std::to_string(n) + " lies beyond the end of the file (" +
                std::to_string(page_count()) + " pages)");
  }
  if (ReadAt(static_cast<uint64_t>(n) * kPageSize, out, kPageSize) != kPageSize) {
    throw Error(name_ + ": page " + std::to_string(n) + " could not be read whole");
  }
}

void PageFile::BeginWriting() {
  if (writing()) return;
  if (fd_ < 0) {
    writing_memory_ = true;
    pages_written_ = 0;
    return;
  }
  int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    throw Error(name_ + ": cannot open the file for writing (" + std::strerror(errno) + ")");
  }
  struct stat reading, writing_st;
  if (::fstat(fd_, &reading) != 0 || ::fstat(fd, &writing_st) != 0 ||
      reading.st_ino != writing_st.st_ino || reading.st_dev != writing_st.st_dev ||
      static_cast<uint64_t>(writing_st.st_size) != size_ || !(StampOf(writing_st) == seen_)) {
    ::close(fd);
    throw Error(name_ + ": the file was replaced or changed since it was opened; open it again");
  }
  // The file first, then its lock file: holding the file, no other writer of this program can
  // be judging or making the lock file meanwhile.
  if (!LockExclusively(fd)) {
    ::close(fd);
    throw Error(name_ + ": another program is using the file; try again when it is closed");
  }
  try {
    lock_fd_ = MakeLockFile();
  } catch (...) {
    ::close(fd);
    throw;
  }
  write_fd_ = fd;
  pages_written_ = 0;
}

int PageFile::MakeLockFile() {
  if (const std::string live = LiveLockFile(path_); !live.empty()) {
    throw Error(name_ + ": the database is open in Access (its lock file " + BaseName(live) +
                " is in use); close it there and try again");
  }
  // A lock file nobody holds was left by a process that ended mid-write (ours, or Access):
  // it says nothing any more.
  if (const std::string stale = ExistingLockFile(path_); !stale.empty()) ::unlink(stale.c_str());
  const std::string lock_path = LockFilePath(path_);
  const int lock_fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (lock_fd < 0) {
    throw Error(name_ + ": cannot create the lock file " + BaseName(lock_path) + " (" +
                std::strerror(errno) + ")");
  }
  // Held for the whole write, so that the kernel drops it if the process dies: the file left
  // behind then reads as stale.
  if (!LockExclusively(lock_fd)) {
    ::close(lock_fd);
    ::unlink(lock_path.c_str());
    throw Error(name_ + ": another program took the lock file " + BaseName(lock_path) +
                " meanwhile; try again");
  }
  lock_path_ = lock_path;
  return lock_fd;
}

void PageFile::EndWriting() {
  writing_memory_ = false;
  if (write_fd_ < 0) return;
  // The lock file goes while it is still held, so that nobody finds it stale and unheld.
  ::unlink(lock_path_.c_str());
  lock_path_.clear();
  ::close(lock_fd_);
  lock_fd_ = -1;
  ::close(write_fd_);  // releases the file's locks
  write_fd_ = -1;
}

void PageFile::WritePage(PageNumber n, const uint8_t* bytes) {
  if (!writing()) throw Error(name_ + ": page " + std::to_string(n) + " written outside a write");
  if (n > page_count()) {
    throw Error(name_ + ": page " + std::to_string(n) +
                " would leave a gap after the end of the file");
  }
  const uint64_t offset = static_cast<uint64_t>(n) * kPageSize;
  if (fd_ < 0) {
    if (memory_.size() < offset + kPageSize) memory_.resize(offset + kPageSize);
    std::memcpy(memory_.data() + offset, bytes, kPageSize);
  } else {
    size_t done = 0;
    while (done < kPageSize) {
      ssize_t w =
          ::pwrite(write_fd_, bytes + done, kPageSize - done, static_cast<off_t>(offset + done));
      if (w < 0) {
        if (errno == EINTR) continue;
        throw WriteFailure(name_ + ": write error at page " + std::to_string(n) + " (" +
                    std::strerror(errno) + ")");
      }
      done += static_cast<size_t>(w);
    }
  }
  if (offset + kPageSize > size_) size_ = offset + kPageSize;
  ++pages_written_;
}

void PageFile::Sync() {
  if (write_fd_ < 0) return;
  if (::fdatasync(write_fd_) != 0) {
    throw WriteFailure(name_ + ": the written pages could not be made durable (" +
                       std::strerror(errno) +
                ")");
  }
  struct stat st;
  if (::fstat(write_fd_, &st) == 0) seen_ = StampOf(st);  // our own writes are no outside change
}

}  // namespace jet
