#ifndef MDBTOMYSQL_DB_VALUE_H_
#define MDBTOMYSQL_DB_VALUE_H_

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace db {

// A calendar date and time of day, as the databases store it (no time zone).
struct DateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
  // Fractions of a second, 0..999'999'999. Jet keeps fractions inside its doubles; the system
  // writes whole seconds.
  int nanosecond = 0;

  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Currency: a whole number of ten-thousandths (Jet's and ADO's scaled 64-bit integer).
struct Currency {
  int64_t ten_thousandths = 0;
  friend bool operator==(const Currency&, const Currency&) = default;
};

// An exact decimal number kept as its text ("-12.3400"), as a Decimal column or NUMERIC reads.
struct Decimal {
  std::string text;
  friend bool operator==(const Decimal&, const Decimal&) = default;
};

using Bytes = std::vector<uint8_t>;

// The value of one field of one row. Text is UTF-8.
class Value {
 public:
  enum class Kind { kNull, kBoolean, kInteger, kDouble, kCurrency, kDecimal, kDate, kText, kBytes };

  Value() = default;
  static Value Null() { return Value(); }
  static Value Boolean(bool b) { return Value(Data(std::in_place_index<1>, b)); }
  static Value Integer(int64_t i) { return Value(Data(std::in_place_index<2>, i)); }
  static Value Double(double d) { return Value(Data(std::in_place_index<3>, d)); }
  static Value Money(Currency c) { return Value(Data(std::in_place_index<4>, c)); }
  static Value Number(Decimal d) { return Value(Data(std::in_place_index<5>, std::move(d))); }
  static Value Date(DateTime t) { return Value(Data(std::in_place_index<6>, t)); }
  static Value Text(std::string s) { return Value(Data(std::in_place_index<7>, std::move(s))); }
  static Value Binary(Bytes b) { return Value(Data(std::in_place_index<8>, std::move(b))); }

  Kind kind() const { return static_cast<Kind>(data_.index()); }
  bool IsNull() const { return kind() == Kind::kNull; }

  // Accessors for one kind; calling the wrong one throws std::bad_variant_access.
  bool AsBoolean() const { return std::get<1>(data_); }
  int64_t AsInteger() const { return std::get<2>(data_); }
  double AsDouble() const { return std::get<3>(data_); }
  Currency AsCurrency() const { return std::get<4>(data_); }
  const Decimal& AsDecimal() const { return std::get<5>(data_); }
  const DateTime& AsDate() const { return std::get<6>(data_); }
  const std::string& AsText() const { return std::get<7>(data_); }
  const Bytes& AsBytes() const { return std::get<8>(data_); }

  // The value as a person reads it: numbers in plain decimal notation, Booleans as "True" /
  // "False", dates as "yyyy-MM-dd HH:mm:ss", bytes as hexadecimal digits; Null as "".
  std::string ToString() const;

  friend bool operator==(const Value&, const Value&) = default;

 private:
  using Data = std::variant<std::monostate, bool, int64_t, double, Currency, Decimal, DateTime,
                            std::string, Bytes>;
  explicit Value(Data d) : data_(std::move(d)) {}
  Data data_;
};

}  // namespace db

#endif  // MDBTOMYSQL_DB_VALUE_H_
