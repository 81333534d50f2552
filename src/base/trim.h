#ifndef MDBTOMYSQL_BASE_TRIM_H_
#define MDBTOMYSQL_BASE_TRIM_H_

#include <string_view>

namespace base {

// The text without its leading and trailing spaces: the space character only, as the system's
// own trimming removes; tabs and line ends stay.
inline std::string_view TrimSpaces(std::string_view text) {
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

}  // namespace base

#endif  // MDBTOMYSQL_BASE_TRIM_H_
