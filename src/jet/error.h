#ifndef MDBTOMYSQL_JET_ERROR_H_
#define MDBTOMYSQL_JET_ERROR_H_

#include <stdexcept>
#include <string>

namespace jet {

// The one exception of the engine. Its message names the file, and the page or table when known,
// so that a person can act on it ("VELDA.mdb: page 812: row offset 4102 beyond the page").
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A write that failed after it began: the file itself (a write, a sync, no space), or anything
// after the first page of the write reached the file. The file holds what the writes' ordering
// leaves, which opens and reads; nothing more may be written to it before a person looks.
class WriteFailure : public Error {
 public:
  using Error::Error;
};

}  // namespace jet

#endif  // MDBTOMYSQL_JET_ERROR_H_
