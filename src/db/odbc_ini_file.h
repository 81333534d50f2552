#ifndef MDBTOMYSQL_DB_ODBC_INI_FILE_H_
#define MDBTOMYSQL_DB_ODBC_INI_FILE_H_

#include <string>
#include <utility>
#include <vector>

namespace db {

// Writes section `section` of the ini file at `path` (odbc.ini: "[name]" lines, then "Key=Value"
// lines) as `pairs`, in their order: a section of that name (compared as the driver manager
// compares them, without case and outer blanks) is replaced where it stands, else the section
// is added at the end. Every other byte of the file stays as it was, comments included.
//
// Safe against everything that can happen meanwhile: the file is rewritten whole into a new file
// beside it (the old one's mode, a new one readable by its owner only, since it holds passwords),
// synced and renamed over it, then the folder synced, all under an exclusive lock on the file,
// so that a kill leaves the old file or the new one and two writers at once lose neither's
// section. Returns false with the reason in *failure, the file unchanged, when the section name
// or a value holds a line end or another control character (or the name a bracket), or when the
// file cannot be read or written.
bool WriteIniSection(const std::string& path, const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& pairs,
                     std::string* failure);

}  // namespace db

#endif  // MDBTOMYSQL_DB_ODBC_INI_FILE_H_
