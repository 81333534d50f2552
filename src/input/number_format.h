#ifndef MDBTOMYSQL_INPUT_NUMBER_FORMAT_H_
#define MDBTOMYSQL_INPUT_NUMBER_FORMAT_H_

#include <string>
#include <string_view>

namespace input {

// Whether a field's text is a number: plain decimal notation with optional spaces around it, an
// optional "+" or "-", and digits with at most one "." among or around them ("7", "-0.5", ".5",
// "3.", " 42 "). No exponents, no thousands separators: nothing a person types in these fields.
bool IsNumber(std::string_view text);

// Writes a number with at least one digit before the point and exactly `decimals` digits after
// it, rounding half away from zero: FormatNumber("2.675", 2) is "2.68", FormatNumber("007", 0) is
// "7". The rounding works on the decimal digits as typed, never on a binary double, so a value
// that lies exactly halfway in decimal always rounds up in magnitude. A value that rounds to zero
// has no sign. Text that is not a number comes back unchanged.
std::string FormatNumber(std::string_view text, int decimals);

}  // namespace input

#endif  // MDBTOMYSQL_INPUT_NUMBER_FORMAT_H_
