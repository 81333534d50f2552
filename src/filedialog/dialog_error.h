#ifndef MDBTOMYSQL_FILEDIALOG_DIALOG_ERROR_H_
#define MDBTOMYSQL_FILEDIALOG_DIALOG_ERROR_H_

#include <string>
#include <utility>

#include "base/error.h"

namespace filedialog {

// A dialog failure as the system's traps see it (a base::Error), which also names the dialog that
// failed: "Common Dialog Open" or "Common Dialog Save".
class DialogError : public base::Error {
 public:
  DialogError(long number, std::string description, std::string source)
      : base::Error(number, std::move(description)), source_(std::move(source)) {}

  const std::string& source() const { return source_; }

 private:
  std::string source_;
};

}  // namespace filedialog

#endif  // MDBTOMYSQL_FILEDIALOG_DIALOG_ERROR_H_
