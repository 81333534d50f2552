#ifndef MDBTOMYSQL_MANIFEST_UNICODE_CASE_H_
#define MDBTOMYSQL_MANIFEST_UNICODE_CASE_H_

#include <string_view>

namespace manifest {

// Whether two UTF-8 texts are equal but for letter case, lower-casing by Unicode's simple
// mappings (the C.UTF-8 locale's, whatever the process's own locale; ASCII only where that
// locale is missing). A byte that is not part of well-formed UTF-8 equals only the same byte.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace manifest

#endif  // MDBTOMYSQL_MANIFEST_UNICODE_CASE_H_
