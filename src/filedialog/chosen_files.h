#ifndef MDBTOMYSQL_FILEDIALOG_CHOSEN_FILES_H_
#define MDBTOMYSQL_FILEDIALOG_CHOSEN_FILES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "filedialog/dialog_record.h"

namespace filedialog {

// Writes the files a person chose into `record` the way the platform's dialog does, so that every
// chooser leaves the same record behind. `paths` are absolute, with "/" between folders.
//
// One file: the file buffer holds its path and a NUL, the file offset points at its name, the
// extension offset just past the name's last dot (at the terminating NUL when the name has no
// dot, 0 when it ends in one), and the file-title buffer holds the name (cut to fit, always
// NUL-terminated). Several files (only with kOfnAllowMultiSelect): the buffer holds the folder,
// a NUL, each name followed by a NUL, and one more NUL; the file offset points at the first name,
// the extension offset and the file title are empty.
//
// Returns 0, or an extended error code with the record's offsets and title untouched:
// kFnErrBufferTooSmall when the file buffer cannot hold the result (its first character then
// holds the size needed, as far as 16 bits can say it), kFnErrInvalidFileName when there is no
// path, several paths without the multiple-selection flag or in different folders, or a path
// too long for the record's 16-bit offsets.
uint32_t StoreChosenFiles(DialogRecord& record, const std::vector<std::u16string>& paths);

}  // namespace filedialog

#endif  // MDBTOMYSQL_FILEDIALOG_CHOSEN_FILES_H_
