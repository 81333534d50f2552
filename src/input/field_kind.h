#ifndef MDBTOMYSQL_INPUT_FIELD_KIND_H_
#define MDBTOMYSQL_INPUT_FIELD_KIND_H_

#include <cstdint>

namespace input {

// Selects how a text field filters typed keys (FieldKeyPress) and what it checks when it loses
// the focus (FieldLostFocus). The codes are the system's own; any code not listed here means
// "no restriction, no check".
using FieldKind = std::int16_t;

inline constexpr FieldKind kFreeText = 0;               // apostrophe swallowed, Ctrl+A selects all
inline constexpr FieldKind kFreeTextNoSelectAll = 100;  // apostrophe swallowed
inline constexpr FieldKind kLetters = 101;
inline constexpr FieldKind kWholeNumber = 200;      // formatted "0" on leaving
inline constexpr FieldKind kNumber2Decimals = 201;  // formatted "0.00"
inline constexpr FieldKind kNumber4Decimals = 202;  // formatted "0.0000"
inline constexpr FieldKind kNumber3Decimals = 203;  // formatted "0.000"
inline constexpr FieldKind kDate = 301;             // "dd-MM-yyyy"
inline constexpr FieldKind kMonth = 302;            // "MM"
inline constexpr FieldKind kMonthYear = 303;        // "MM-yyyy"
inline constexpr FieldKind kTime = 304;             // "HH:mm"
inline constexpr FieldKind kSignedNumber = 501;     // key filter only
inline constexpr FieldKind kNumber1Decimal = 1000;  // key filter only

}  // namespace input

#endif  // MDBTOMYSQL_INPUT_FIELD_KIND_H_
