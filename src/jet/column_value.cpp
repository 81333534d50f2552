#include "jet/column_value.h"

#include <cmath>
#include <optional>

#include "jet/error.h"
#include "jet/text.h"

namespace jet {
namespace {

// Currency values are ten-thousandths in 64 bits: about 9.2e18 of them.
constexpr double kCurrencyLimit = 9.2e18;

std::optional<double> Number(const Value& v) {
  if (const int64_t* i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
  if (const double* d = std::get_if<double>(&v)) return *d;
  if (const float* f = std::get_if<float>(&v)) return *f;
  if (const Currency* c = std::get_if<Currency>(&v)) return c->ten_thousandths / 10000.0;
  if (const Date* t = std::get_if<Date>(&v)) return t->days;
  if (const bool* b = std::get_if<bool>(&v)) return *b ? -1.0 : 0.0;
  return std::nullopt;
}

}  // namespace

Value ValueForColumn(const Column& column, const Value& value) {
  auto mismatch = [&](const char* what) {
    return Error("column " + column.name + ": " + what + " does not suit a " +
                 TypeName(column.type) + " column");
  };
  const int64_t* whole = std::get_if<int64_t>(&value);
  const double* real = std::get_if<double>(&value);
  const std::string* text = std::get_if<std::string>(&value);
  if (IsNull(value)) {
    if (column.type == kTypeBoolean) throw Error("column " + column.name + " cannot be NULL");
    return value;
  }
  switch (column.type) {
    case kTypeBoolean:
      if (const bool* b = std::get_if<bool>(&value)) return *b;
      if (whole != nullptr) return *whole != 0;
      throw mismatch("the value");
    case kTypeByte:
    case kTypeInteger:
    case kTypeLong:
      if (whole != nullptr) return *whole;
      if (real != nullptr && std::nearbyint(*real) == *real && std::abs(*real) < 1e18) {
        return static_cast<int64_t>(*real);
      }
      throw mismatch(real != nullptr ? "a number with decimals" : "the value");
    case kTypeCurrency: {
      if (whole == nullptr && real == nullptr) throw mismatch("the value");
      const double v = whole != nullptr ? static_cast<double>(*whole) * 10000 : *real * 10000;
      if (!(std::abs(v) < kCurrencyLimit)) throw mismatch("a number this large");
      // A whole number exactly: through a double, amounts above 2^53 ten-thousandths would round.
      if (whole != nullptr) return Currency{*whole * 10000};
      return Currency{static_cast<int64_t>(std::llround(v))};
    }
    case kTypeSingle:
      if (whole != nullptr) return static_cast<float>(*whole);
      if (real != nullptr) return static_cast<float>(*real);
      throw mismatch("the value");
    case kTypeDouble:
      if (whole != nullptr) return static_cast<double>(*whole);
      if (real != nullptr) return *real;
      throw mismatch("the value");
    case kTypeDateTime:
      if (whole != nullptr) return Date{static_cast<double>(*whole)};
      if (real != nullptr) return Date{*real};
      throw mismatch("the value");
    case kTypeText:
    case kTypeMemo:
      if (text != nullptr) return *text;
      throw mismatch("the value");
    default:
      throw Error("column " + column.name + ": this engine does not change " +
                  TypeName(column.type) + " values");
  }
}

bool ValuesMatch(const Value& stored, const Value& wanted) {
  if (IsNull(stored) || IsNull(wanted)) return false;
  if (const std::string* s = std::get_if<std::string>(&stored)) {
    const std::string* w = std::get_if<std::string>(&wanted);
    return w != nullptr && NamesEqual(*s, *w);
  }
  const std::optional<double> a = Number(stored);
  const std::optional<double> b = Number(wanted);
  return a && b && *a == *b;
}

}  // namespace jet
