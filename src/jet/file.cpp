#include "jet/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "jet/error.h"

namespace jet {
namespace {

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

PageFile::PageFile(std::string name, int fd, uint64_t size, std::string memory)
    : name_(std::move(name)), fd_(fd), size_(size), memory_(std::move(memory)) {}

PageFile::~PageFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<PageFile> PageFile::OpenReadOnly(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw Error(path + ": cannot open the file (" + std::strerror(errno) + ")");
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw Error(path + ": not a regular file");
  }
  return std::unique_ptr<PageFile>(
      new PageFile(BaseName(path), fd, static_cast<uint64_t>(st.st_size), std::string()));
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

}  // namespace jet
