#include "jet/date_time.h"

#include <cmath>

namespace jet {
namespace {

// Day number of 1899-12-30 counted from 1970-01-01.
constexpr int64_t kJetEpoch = -25569;
constexpr double kMinJetDate = -657434.0;         // 0100-01-01
constexpr double kMaxJetDate = 2958465.99999999;  // 9999-12-31 23:59:59.999...
constexpr int64_t kMillisecondsPerDay = 86400000;

// Days since 1970-01-01 of a civil date, and back (Howard Hinnant's algorithms).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int* year, int* month, int* day) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = yoe + era * 400;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(y + (m <= 2));
  *month = m;
  *day = d;
}

}  // namespace

bool JetDateToDateTime(double days, DateTime* out, bool round_to_second) {
  if (!std::isfinite(days) || days < kMinJetDate - 1 || days > kMaxJetDate + 1) return false;
  double whole = std::trunc(days);
  double fraction = std::fabs(days - whole);
  int64_t day = static_cast<int64_t>(whole);
  int64_t unit = round_to_second ? 1000 : 1;
  int64_t ms = static_cast<int64_t>(std::llround(fraction * kMillisecondsPerDay / unit)) * unit;
  if (ms >= kMillisecondsPerDay) {  // rounding reached midnight: the next calendar day
    ms -= kMillisecondsPerDay;
    day += 1;  // calendar days are consecutive whatever the sign of the stored value
  }
  CivilFromDays(day + kJetEpoch, &out->year, &out->month, &out->day);
  if (out->year < 100 || out->year > 9999) return false;
  out->hour = static_cast<int>(ms / 3600000);
  out->minute = static_cast<int>(ms / 60000 % 60);
  out->second = static_cast<int>(ms / 1000 % 60);
  out->millisecond = static_cast<int>(ms % 1000);
  return true;
}

double DateTimeToJetDate(const DateTime& t) {
  int64_t day = DaysFromCivil(t.year, t.month, t.day) - kJetEpoch;
  double fraction = (((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond) /
                    static_cast<double>(kMillisecondsPerDay);
  return day >= 0 ? day + fraction : day - fraction;
}

std::string FormatDateTime(const DateTime& t) {
  // Hand-made rather than snprintf: exports format one date per row.
  char text[19];
  auto put = [&text](int at, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10)
      text[at + i] = static_cast<char>('0' + value % 10);
  };
  put(0, t.year, 4);
  text[4] = '-';
  put(5, t.month, 2);
  text[7] = '-';
  put(8, t.day, 2);
  text[10] = ' ';
  put(11, t.hour, 2);
  text[13] = ':';
  put(14, t.minute, 2);
  text[16] = ':';
  put(17, t.second, 2);
  return std::string(text, sizeof text);
}

}  // namespace jet
