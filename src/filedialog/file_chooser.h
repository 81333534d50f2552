#ifndef MDBTOMYSQL_FILEDIALOG_FILE_CHOOSER_H_
#define MDBTOMYSQL_FILEDIALOG_FILE_CHOOSER_H_

#include <cstdint>

#include "filedialog/dialog_record.h"

namespace filedialog {

// What the platform says about itself (GetVersionExA): `known` is false when it could not say.
struct PlatformVersion {
  bool known = false;
  uint32_t platform_id = 0;  // 2: the NT family
  uint32_t major = 0;
};

// What a showing ended with: a chosen file, or not, with the platform's extended error code
// (0 when the person cancelled).
struct ChooserResult {
  bool chosen = false;
  uint32_t extended_error = 0;
};

// The platform's open and save dialogs. The program's window supplies the Qt one; tests script
// their own.
class FileChooser {
 public:
  virtual ~FileChooser() = default;

  virtual PlatformVersion Version() const = 0;

  // Shows the dialog that `record` describes and, when a file is chosen, fills in the record as
  // the platform does: the file buffer, its offsets, the file title, the filter index (see
  // StoreChosenFiles). Modal; returns when the dialog is closed.
  virtual ChooserResult Show(DialogRecord& record, bool is_save) = 0;
};

}  // namespace filedialog

#endif  // MDBTOMYSQL_FILEDIALOG_FILE_CHOOSER_H_
