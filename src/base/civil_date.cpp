#include "base/civil_date.h"

#include <cstdio>

namespace base {

int64_t DaysFromCivil(int year, int month, int day) {
  int64_t y = year - (month <= 2);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDay CivilFromDays(int64_t days) {
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  CivilDay out;
  out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2));
  return out;
}

std::string FormatDateTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 0 || year > 9999) {
    // A year of more than four digits (a rounding past 9999-12-31) keeps all of them, so that
    // the server refuses the date rather than reading another one.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return buffer;
  }
  // Hand-made rather than snprintf: exports and row copies format one date per row.
  char text[19];
  auto put = [&text](int at, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10)
      text[at + i] = static_cast<char>('0' + value % 10);
  };
  put(0, year, 4);
  text[4] = '-';
  put(5, month, 2);
  text[7] = '-';
  put(8, day, 2);
  text[10] = ' ';
  put(11, hour, 2);
  text[13] = ':';
  put(14, minute, 2);
  text[16] = ':';
  put(17, second, 2);
  return std::string(text, sizeof text);
}

}  // namespace base
