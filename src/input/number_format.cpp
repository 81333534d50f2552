#include "input/number_format.h"

#include <algorithm>
#include <optional>

#include "base/trim.h"

namespace input {
namespace {

struct Decimal {
  bool negative = false;
  std::string whole;     // digits before the point, possibly empty or with leading zeros
  std::string fraction;  // digits after the point, possibly empty
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<Decimal> Parse(std::string_view text) {
  text = base::TrimSpaces(text);
  if (text.empty()) return std::nullopt;

  Decimal d;
  size_t i = 0;
  if (text[0] == '+' || text[0] == '-') {
    d.negative = text[0] == '-';
    ++i;
  }
  while (i < text.size() && IsDigit(text[i])) d.whole.push_back(text[i++]);
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) d.fraction.push_back(text[i++]);
  }
  if (i != text.size() || (d.whole.empty() && d.fraction.empty())) return std::nullopt;
  return d;
}

}  // namespace

bool IsNumber(std::string_view text) { return Parse(text).has_value(); }

std::string FormatNumber(std::string_view text, int decimals) {
  std::optional<Decimal> d = Parse(text);
  if (!d) return std::string(text);
  const size_t places = static_cast<size_t>(std::max(decimals, 0));

  // All kept digits in one string, a leading "0" to take a carry: "0" + whole + fraction.
  std::string digits = std::string("0").append(d->whole);
  const size_t point = digits.size();
  std::string fraction = d->fraction;
  const bool round_up = fraction.size() > places && fraction[places] >= '5';
  fraction.resize(places, '0');
  digits += fraction;
  if (round_up) {
    size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    ++digits[i - 1];  // the leading "0" guarantees a digit below 9 is found
  }

  std::string whole = digits.substr(0, point);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
  std::string out;
  if (d->negative && digits.find_first_not_of('0') != std::string::npos) out = "-";
  out += whole;
  if (places > 0) out.append(".").append(digits, point, std::string::npos);
  return out;
}

}  // namespace input
