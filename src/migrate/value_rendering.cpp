#include "migrate/value_rendering.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "db/error.h"
#include "db/field.h"
#include "migrate/migration_engine.h"

namespace migrate {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's civil algorithms).
long DaysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int* y, int* m, int* d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  *d = int(doy - (153 * mp + 2) / 5 + 1);
  *m = int(mp < 10 ? mp + 3 : mp - 9);
  *y = int(yoe + era * 400 + (*m <= 2));
}

// The text between the first and last character that is not a space, as FixQuote keeps it.
std::string_view TrimSpaces(std::string_view text) {
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

}  // namespace

db::DateTime RoundToSecond(const db::DateTime& t) {
  db::DateTime r = t;
  r.nanosecond = 0;
  if (t.nanosecond < 500'000'000) return r;
  long seconds = long(t.hour) * 3600 + t.minute * 60 + t.second + 1;
  long days = DaysFromCivil(t.year, t.month, t.day);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++days;
  }
  CivilFromDays(days, &r.year, &r.month, &r.day);
  r.hour = int(seconds / 3600);
  r.minute = int(seconds / 60 % 60);
  r.second = int(seconds % 60);
  return r;
}

std::string FormatDateTime(const db::DateTime& t) {
  const db::DateTime r = RoundToSecond(t);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", r.year, r.month, r.day,
                r.hour, r.minute, r.second);
  return buffer;
}

std::string DoubleLiteral(double value) {
  if (!std::isfinite(value)) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    throw db::Error(db::kProviderError,
                    std::string("the value ") + buffer + " cannot be stored in a MySQL column");
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

namespace {

// A number column's value: Null counts as 0; a Boolean is written as `yes` or `no`.
void AppendNumber(const db::Value& value, const char* yes, const char* no, std::string* out) {
  switch (value.kind()) {
    case db::Value::Kind::kNull: *out += '0'; break;
    case db::Value::Kind::kBoolean: *out += value.AsBoolean() ? yes : no; break;
    case db::Value::Kind::kDouble: *out += DoubleLiteral(value.AsDouble()); break;
    default: *out += value.ToString(); break;
  }
}

}  // namespace

bool AppendLiteral(int type, const db::Value& value, std::string* out) {
  switch (type) {
    case db::ado_type::kLongVarWChar:
    case db::ado_type::kVarWChar:
    case db::ado_type::kWChar: {
      const std::string text = value.ToString();
      if (text.find('\0') != std::string::npos) {
        // A NUL character ends the statement's text on its way to the server, and no escape
        // stands for it under NO_BACKSLASH_ESCAPES: such a text goes as hex digits.
        static constexpr char kHex[] = "0123456789ABCDEF";
        *out += "_utf8mb4 X'";
        for (unsigned char c : TrimSpaces(text)) {
          *out += kHex[c >> 4];
          *out += kHex[c & 15];
        }
        *out += '\'';
        return true;
      }
      *out += '\'';
      *out += FixQuote(text);
      *out += '\'';
      return true;
    }
    case db::ado_type::kBoolean:
    case db::ado_type::kDouble:
    case db::ado_type::kInteger:
      AppendNumber(value, "True", "False", out);
      return true;
    case db::ado_type::kDate:
      if (value.IsNull()) {
        *out += "NULL";
      } else {
        *out += '\'';
        *out += FormatDateTime(value.AsDate());
        *out += '\'';
      }
      return true;
    default:
      return false;
  }
}

bool AppendTabField(int type, const db::Value& value, std::string* out) {
  switch (type) {
    case db::ado_type::kLongVarWChar:
    case db::ado_type::kVarWChar:
    case db::ado_type::kWChar: {
      std::string converted;
      if (value.kind() != db::Value::Kind::kText) converted = value.ToString();
      const std::string_view text =
          TrimSpaces(value.kind() == db::Value::Kind::kText ? value.AsText() : converted);
      size_t start = 0;
      for (size_t i = 0; i < text.size(); ++i) {
        char escape;
        switch (text[i]) {
          case '\\': escape = '\\'; break;
          case '\t': escape = 't'; break;
          case '\n': escape = 'n'; break;
          case '\r': escape = 'r'; break;
          case '\0': escape = '0'; break;
          default: continue;
        }
        out->append(text, start, i - start);
        *out += '\\';
        *out += escape;
        start = i + 1;
      }
      out->append(text, start, text.size() - start);
      return true;
    }
    case db::ado_type::kBoolean:
    case db::ado_type::kDouble:
    case db::ado_type::kInteger:
      AppendNumber(value, "1", "0", out);
      return true;
    case db::ado_type::kDate:
      if (value.IsNull())
        *out += "\\N";
      else
        *out += FormatDateTime(value.AsDate());
      return true;
    default:
      return false;
  }
}

}  // namespace migrate
