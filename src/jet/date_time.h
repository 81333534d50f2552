#ifndef MDBTOMYSQL_JET_DATE_TIME_H_
#define MDBTOMYSQL_JET_DATE_TIME_H_

#include <cstdint>
#include <string>

namespace jet {

// A calendar date and time of day (proleptic Gregorian, no time zone).
struct DateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
  int millisecond = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Converts a Jet date (days since 1899-12-30) to calendar fields, rounded to the nearest
// millisecond (or second when `round_to_second`), carrying into the next day when needed.
// Jet's rule for days before 1899-12-30: the whole part counts days backwards, and the fraction
// is the time of day whatever the sign (-1.25 = 1899-12-29 06:00). Returns false for values
// outside Jet's range (years 100..9999) or not a number.
bool JetDateToDateTime(double days, DateTime* out, bool round_to_second = false);

// The inverse, exact to the millisecond.
double DateTimeToJetDate(const DateTime& t);

// "yyyy-MM-dd HH:mm:ss".
std::string FormatDateTime(const DateTime& t);

}  // namespace jet

#endif  // MDBTOMYSQL_JET_DATE_TIME_H_
