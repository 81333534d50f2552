#include "jet/date_time.h"

#include <cmath>

#include "base/civil_date.h"

namespace jet {
namespace {

// Day number of 1899-12-30 counted from 1970-01-01.
constexpr int64_t kJetEpoch = -25569;
constexpr double kMinJetDate = -657434.0;         // 0100-01-01
constexpr double kMaxJetDate = 2958465.99999999;  // 9999-12-31 23:59:59.999...
constexpr int64_t kMillisecondsPerDay = 86400000;

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
  const base::CivilDay civil = base::CivilFromDays(day + kJetEpoch);
  out->year = civil.year;
  out->month = civil.month;
  out->day = civil.day;
  if (out->year < 100 || out->year > 9999) return false;
  out->hour = static_cast<int>(ms / 3600000);
  out->minute = static_cast<int>(ms / 60000 % 60);
  out->second = static_cast<int>(ms / 1000 % 60);
  out->millisecond = static_cast<int>(ms % 1000);
  return true;
}

double DateTimeToJetDate(const DateTime& t) {
  int64_t day = base::DaysFromCivil(t.year, t.month, t.day) - kJetEpoch;
  double fraction = (((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond) /
                    static_cast<double>(kMillisecondsPerDay);
  return day >= 0 ? day + fraction : day - fraction;
}

std::string FormatDateTime(const DateTime& t) {
  return base::FormatDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

}  // namespace jet
