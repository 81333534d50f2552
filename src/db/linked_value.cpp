#include "db/linked_value.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

namespace db {
namespace {

// Parses a whole number or a decimal number written as text (MySQL's DECIMAL), or nothing.
std::optional<double> NumberIn(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::kInteger:
      return static_cast<double>(v.AsInteger());
    case Value::Kind::kDouble:
      return v.AsDouble();
    case Value::Kind::kBoolean:
      return v.AsBoolean() ? 1.0 : 0.0;
    case Value::Kind::kCurrency:
      return static_cast<double>(v.AsCurrency().ten_thousandths) / 10000;
    case Value::Kind::kDecimal:
    case Value::Kind::kText: {
      const std::string& t = v.kind() == Value::Kind::kText ? v.AsText() : v.AsDecimal().text;
      char* end = nullptr;
      const double d = std::strtod(t.c_str(), &end);
      if (end == t.c_str() || *end != '\0') return std::nullopt;
      return d;
    }
    default:
      return std::nullopt;
  }
}

// Exact ten-thousandths of a decimal text ("-12.3456"), or nothing.
std::optional<int64_t> TenThousandths(const std::string& text) {
  size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++pos;
  int64_t whole = 0;
  int64_t fraction = 0;
  int fraction_digits = 0;
  bool dot = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '.' && !dot) {
      dot = true;
    } else if (c >= '0' && c <= '9') {
      if (!dot) {
        if (whole > 922337203685477) return std::nullopt;
        whole = whole * 10 + (c - '0');
      } else if (fraction_digits < 4) {
        fraction = fraction * 10 + (c - '0');
        ++fraction_digits;
      }
    } else {
      return std::nullopt;
    }
  }
  for (; fraction_digits < 4; ++fraction_digits) fraction *= 10;
  const int64_t v = whole * 10000 + fraction;
  return negative ? -v : v;
}

}  // namespace

Value AsLinkedColumn(const Value& v, const jet::Column& column) {
  if (v.IsNull()) return v;
  const std::optional<double> number = NumberIn(v);
  switch (column.type) {
    case jet::kTypeBoolean:
      if (number) return Value::Boolean(*number != 0);
      break;
    case jet::kTypeByte:
    case jet::kTypeInteger:
    case jet::kTypeLong:
      if (v.kind() == Value::Kind::kInteger) return v;
      if (number && std::nearbyint(*number) == *number) {
        return Value::Integer(static_cast<int64_t>(*number));
      }
      break;
    case jet::kTypeSingle:
    case jet::kTypeDouble:
      if (number) return Value::Double(*number);
      break;
    case jet::kTypeCurrency:
      if (v.kind() == Value::Kind::kCurrency) return v;
      if (v.kind() == Value::Kind::kDecimal) {
        if (std::optional<int64_t> t = TenThousandths(v.AsDecimal().text)) {
          return Value::Money(Currency{*t});
        }
      }
      if (number) return Value::Money(Currency{std::llround(*number * 10000)});
      break;
    case jet::kTypeText:
    case jet::kTypeMemo:
      if (v.kind() != Value::Kind::kText && v.kind() != Value::Kind::kBytes) {
        return Value::Text(v.ToString());
      }
      break;
    default:
      break;
  }
  return v;
}

}  // namespace db
