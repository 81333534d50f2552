#include "jet/lock_file.h"

#include <sys/stat.h>

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

}  // namespace jet
