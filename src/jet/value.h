#ifndef MDBTOMYSQL_JET_VALUE_H_
#define MDBTOMYSQL_JET_VALUE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace jet {

// Currency: a whole number of ten-thousandths, as Jet stores it.
struct Currency {
  int64_t ten_thousandths = 0;
  friend bool operator==(const Currency&, const Currency&) = default;
};

// A Decimal column's exact value as text with exactly `scale` decimals ("-12.50").
struct Decimal {
  std::string text;
  friend bool operator==(const Decimal&, const Decimal&) = default;
};

// A Date/Time value as stored: days since 1899-12-30 00:00, the fraction being the time of day.
// Kept raw so that callers decide how to round; see date_time.h for the calendar.
struct Date {
  double days = 0;
  friend bool operator==(const Date&, const Date&) = default;
};

// Binary and OLE Object data.
struct Binary {
  std::string bytes;
  friend bool operator==(const Binary&, const Binary&) = default;
};

// A Replication ID in its usual text form, "{6B29FC40-CA47-1067-B31D-00DD010662DA}".
struct Guid {
  std::string text;
  friend bool operator==(const Guid&, const Guid&) = default;
};

// The value of one column of one row.
//   monostate: NULL          bool: Yes/No           int64_t: Byte, Integer, Long
//   float: Single            double: Double         std::string: Text and Memo (UTF-8)
using Value = std::variant<std::monostate, bool, int64_t, float, double, Currency, Decimal, Date,
                           std::string, Binary, Guid>;

inline bool IsNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

// A Byte, Integer or Long value; nothing for NULL and other types.
inline std::optional<int64_t> IntegerValue(const Value& v) {
  if (const int64_t* i = std::get_if<int64_t>(&v)) return *i;
  return std::nullopt;
}

// A Text or Memo value; "" for NULL and other types.
inline std::string TextValue(const Value& v) {
  if (const std::string* s = std::get_if<std::string>(&v)) return *s;
  return std::string();
}

}  // namespace jet

#endif  // MDBTOMYSQL_JET_VALUE_H_
