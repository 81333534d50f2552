#ifndef MDBTOMYSQL_BASE_REMOVE_ON_SIGNAL_H_
#define MDBTOMYSQL_BASE_REMOVE_ON_SIGNAL_H_

#include <string>

namespace base {

// Files that hold a person's data only for a moment (a copy on its way to its name) must not
// outlive the process when it is interrupted. A file registered here is removed when SIGINT,
// SIGTERM or SIGHUP arrives, before the signal takes its usual course (the process then ends as
// it would have). A file that can be unlinked at once should be: this is for the ones that
// cannot. At most kMaxFiles at a time; paths longer than kMaxPath are not registered (false).
class RemoveOnSignal {
 public:
  static constexpr int kMaxFiles = 16;
  static constexpr size_t kMaxPath = 4096;

  explicit RemoveOnSignal(const std::string& path);
  ~RemoveOnSignal();  // forgets the file (does not remove it)
  RemoveOnSignal(const RemoveOnSignal&) = delete;
  RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;

  bool registered() const { return slot_ >= 0; }

 private:
  int slot_ = -1;
};

}  // namespace base

#endif  // MDBTOMYSQL_BASE_REMOVE_ON_SIGNAL_H_
