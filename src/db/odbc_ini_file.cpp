#include "db/odbc_ini_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/ascii_case.h"
#include "base/remove_on_signal.h"

namespace db {
namespace {

bool HasControlCharacter(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// The name of a "[name]" line, or nothing for any other line.
bool SectionName(const std::string& line, std::string* name) {
  const std::string t = Trimmed(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  *name = Trimmed(t.substr(1, t.size() - 2));
  return true;
}

// `text` with the section `section` replaced by `replacement` (which ends in "\n"), or
// `replacement` added at the end after a blank line.
std::string Rewritten(const std::string& text, const std::string& section,
                      const std::string& replacement) {
  std::string out;
  bool in_section = false;
  bool replaced = false;
  bool blank_before_next = false;  // the replaced section ended in a blank line
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(pos, end - pos);
    pos = end;
    std::string name;
    if (SectionName(line, &name)) {
      if (in_section && blank_before_next) out += '\n';
      blank_before_next = false;
      in_section = base::EqualsIgnoringCase(name, Trimmed(section));
      if (in_section && !replaced) {
        out += replacement;
        replaced = true;
        continue;
      }
    }
    // A second section of the same name goes too: the driver manager reads the first only.
    if (in_section) {
      blank_before_next = Trimmed(line).empty();
    } else {
      out += line;
    }
  }
  if (!replaced) {
    if (!out.empty() && out.back() != '\n') out += '\n';
    if (!out.empty() && out.size() >= 2 && out.compare(out.size() - 2, 2, "\n\n") != 0) {
      out += '\n';
    }
    out += replacement;
  }
  return out;
}

std::string Reason(const std::string& what) { return what + " (" + std::strerror(errno) + ")"; }

// Opens and locks the file at `path` itself, not a file that a writer renamed away meanwhile.
int OpenLocked(const std::string& path, std::string* failure) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
      *failure = Reason("cannot open " + path);
      return -1;
    }
    if (::flock(fd, LOCK_EX) != 0) {
      *failure = Reason("cannot lock " + path);
      ::close(fd);
      return -1;
    }
    struct stat locked, named;
    if (::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &named) == 0 &&
        locked.st_ino == named.st_ino && locked.st_dev == named.st_dev) {
      return fd;
    }
    ::close(fd);
  }
  *failure = "the file " + path + " kept being replaced by another program";
  return -1;
}

bool ReadAll(int fd, std::string* text) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    text->append(buffer, static_cast<size_t>(n));
  }
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// A new file in `folder` holding `text` with `mode`, synced, and its name: an unnamed file that
// gets a temporary name only once it is whole (so that a kill before leaves nothing), or where
// the file system has no unnamed files a named one, removed on failure and on SIGINT, SIGTERM,
// SIGHUP. Empty, with the reason in *failure, when it cannot be made.
std::string WriteBeside(const std::string& folder, const std::string& name, const std::string& text,
                        mode_t mode, std::string* failure) {
  std::string temp = folder + "/." + name + ".XXXXXX";
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  const bool unnamed = fd >= 0;
  if (!unnamed) fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    *failure = Reason("cannot create a file in " + folder);
    return "";
  }
  bool ok = ::fchmod(fd, mode & 07777) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
  if (ok && unnamed) {
    // A fresh temporary name for the whole file: mkostemp picks it, the unnamed file takes it.
    const int placeholder = ::mkostemp(temp.data(), O_CLOEXEC);
    ok = placeholder >= 0;
    if (ok) {
      ::close(placeholder);
      ::unlink(temp.c_str());
      const std::string self = "/proc/self/fd/" + std::to_string(fd);
      ok = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0;
    }
  }
  if (!ok) *failure = Reason("cannot write the new " + name + " in " + folder);
  if (::close(fd) != 0 && ok) {
    ok = false;
    *failure = Reason("cannot write the new " + name + " in " + folder);
  }
  if (!ok) {
    if (!unnamed) ::unlink(temp.c_str());
    return "";
  }
  return temp;
}

// Writes `text` into a new file beside `path` with `mode` and renames it over `path`.
bool Replace(const std::string& path, const std::string& text, mode_t mode, std::string* failure) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string temp = WriteBeside(folder, name, text, mode, failure);
  if (temp.empty()) return false;
  base::RemoveOnSignal guard(temp);
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    *failure = Reason("cannot rename " + temp + " to " + path);
    ::unlink(temp.c_str());
    return false;
  }
  // The new name lasts only once the folder is synced: a failed sync is a failed registration
  // (the file holds the new text, which keeps every other section). A folder whose file system
  // cannot sync folders (EINVAL) has nothing more to do.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    const bool synced = ::fsync(dir) == 0 || errno == EINVAL;
    if (!synced) *failure = Reason("cannot sync the folder " + folder);
    ::close(dir);
    if (!synced) return false;
  }
  return true;
}

}  // namespace

bool WriteIniSection(const std::string& path, const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& pairs,
                     std::string* failure) {
  if (section.empty() || HasControlCharacter(section) ||
      section.find_first_of("[]") != std::string::npos) {
    *failure = "the data source name \"" + section + "\" cannot be written into " + path;
    return false;
  }
  std::string replacement = "[" + section + "]\n";
  for (const auto& [key, value] : pairs) {
    if (HasControlCharacter(value)) {
      *failure = "the value of " + key + " holds a line end or another control character; "
                 "written into " + path + " it would change other data sources";
      return false;
    }
    replacement += key + "=" + value + "\n";
  }
  const int fd = OpenLocked(path, failure);
  if (fd < 0) return false;
  std::string text;
  struct stat st;
  bool ok = ReadAll(fd, &text) && ::fstat(fd, &st) == 0;
  if (!ok) *failure = Reason("cannot read " + path);
  // The lock is held until the new file has its name: the next writer then locks that one.
  if (ok) ok = Replace(path, Rewritten(text, section, replacement), st.st_mode, failure);
  ::close(fd);
  return ok;
}

}  // namespace db
