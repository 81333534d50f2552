#ifndef MDBTOMYSQL_BASE_ERROR_H_
#define MDBTOMYSQL_BASE_ERROR_H_

#include <exception>
#include <stdexcept>
#include <string>

namespace base {

// A raised platform error: the one exception the system's error traps catch. `number` is what the
// traps test (the provider's HRESULT-like code, or a run-time error number such as 70), and
// `description` is the text they show to a person.
class Error : public std::runtime_error {
 public:
  Error(long number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}

  long number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  long number_;
  std::string description_;
};

// The text a trap shows for an exception that reached it: the description of the system's error,
// else the exception's own message.
inline std::string DescriptionOf(const std::exception& e) {
  if (const auto* error = dynamic_cast<const Error*>(&e)) return error->description();
  return e.what();
}

}  // namespace base

#endif  // MDBTOMYSQL_BASE_ERROR_H_
