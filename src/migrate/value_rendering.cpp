#include "migrate/value_rendering.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "base/civil_date.h"
#include "base/trim.h"
#include "db/error.h"
#include "db/field.h"

namespace migrate {

std::string FixQuote(const std::string& text) {
  const std::string_view kept = base::TrimSpaces(text);
  std::string doubled;
  doubled.reserve(kept.size() + 8);
  for (char c : kept) {
    doubled += c;
    if (c == '\'') doubled += '\'';
  }
  return doubled;
}

db::DateTime RoundToSecond(const db::DateTime& t) {
  db::DateTime r = t;
  r.nanosecond = 0;
  if (t.nanosecond < 500'000'000) return r;
  long seconds = long(t.hour) * 3600 + t.minute * 60 + t.second + 1;
  int64_t days = base::DaysFromCivil(t.year, t.month, t.day);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++days;
  }
  const base::CivilDay civil = base::CivilFromDays(days);
  r.year = civil.year;
  r.month = civil.month;
  r.day = civil.day;
  r.hour = int(seconds / 3600);
  r.minute = int(seconds / 60 % 60);
  r.second = int(seconds % 60);
  return r;
}

std::string FormatDateTime(const db::DateTime& t) {
  const db::DateTime r = RoundToSecond(t);
  return base::FormatDateTime(r.year, r.month, r.day, r.hour, r.minute, r.second);
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
        for (unsigned char c : base::TrimSpaces(text)) {
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

void AppendTabText(std::string_view text, std::string* out) {
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
}

bool AppendTabField(int type, const db::Value& value, std::string* out) {
  switch (type) {
    case db::ado_type::kLongVarWChar:
    case db::ado_type::kVarWChar:
    case db::ado_type::kWChar: {
      std::string converted;
      if (value.kind() != db::Value::Kind::kText) converted = value.ToString();
      AppendTabText(
          base::TrimSpaces(value.kind() == db::Value::Kind::kText ? value.AsText() : converted),
          out);
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
