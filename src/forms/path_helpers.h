#ifndef MDBTOMYSQL_FORMS_PATH_HELPERS_H_
#define MDBTOMYSQL_FORMS_PATH_HELPERS_H_

#include <string>

namespace forms {

// True when `path` names an existing file-system entry that is not a directory. The path is
// used exactly as given (outer spaces are part of the name); an empty text gives false. Never
// throws.
bool FileExists(const std::string& path);

// The characters after the last backslash of `path`; the whole text when it holds none. Only
// "\" separates: "/" is an ordinary character, as in the paths the system was written for.
std::string GetFileNameFromPath(const std::string& path);

}  // namespace forms

#endif  // MDBTOMYSQL_FORMS_PATH_HELPERS_H_
