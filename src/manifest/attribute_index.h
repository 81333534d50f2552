#ifndef MDBTOMYSQL_MANIFEST_ATTRIBUTE_INDEX_H_
#define MDBTOMYSQL_MANIFEST_ATTRIBUTE_INDEX_H_

#include <concepts>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace manifest {

// The optional attribute argument of the manifest element's members: an attribute's qualified
// name ("asmv3:name"), its position from 0, or nothing at all for the element itself. It converts
// implicitly from a text or a number, as the argument it stands for takes either.
class AttributeIndex {
 public:
  enum class Kind { kElement, kName, kPosition, kInvalidPosition };

  AttributeIndex() = default;
  AttributeIndex(const char* name) : kind_(Kind::kName), name_(name) {}             // NOLINT
  AttributeIndex(std::string name) : kind_(Kind::kName), name_(std::move(name)) {}  // NOLINT
  // Whole numbers outside the 32-bit range cannot name a position.
  template <std::integral T>
  requires(!std::same_as<T, bool>) AttributeIndex(T position) {  // NOLINT
    if (std::in_range<int32_t>(position)) {
      kind_ = Kind::kPosition;
      position_ = static_cast<int32_t>(position);
    } else {
      kind_ = Kind::kInvalidPosition;
    }
  }
  // Rounded to the nearest whole number, halves to even.
  AttributeIndex(double position);  // NOLINT

  Kind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  int32_t position() const { return position_; }

 private:
  Kind kind_ = Kind::kElement;
  std::string name_;
  int32_t position_ = 0;
};

}  // namespace manifest

#endif  // MDBTOMYSQL_MANIFEST_ATTRIBUTE_INDEX_H_
