#ifndef MDBTOMYSQL_BASE_CIVIL_DATE_H_
#define MDBTOMYSQL_BASE_CIVIL_DATE_H_

#include <cstdint>
#include <string>

namespace base {

// A day of the proleptic Gregorian calendar.
struct CivilDay {
  int year = 1970, month = 1, day = 1;
};

// Days since 1970-01-01 of a calendar day (negative before it), and back. Exact for every year
// a 32-bit int holds (H. Hinnant's civil algorithms).
int64_t DaysFromCivil(int year, int month, int day);
CivilDay CivilFromDays(int64_t days);

// "yyyy-MM-dd HH:mm:ss", the form both databases read and the system writes.
std::string FormatDateTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace base

#endif  // MDBTOMYSQL_BASE_CIVIL_DATE_H_
