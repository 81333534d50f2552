#include "forms/path_helpers.h"

#include <filesystem>
#include <system_error>

namespace forms {

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) return false;
  return !std::filesystem::is_directory(status);
}

std::string GetFileNameFromPath(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace forms
