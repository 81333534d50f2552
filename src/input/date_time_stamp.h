#ifndef MDBTOMYSQL_INPUT_DATE_TIME_STAMP_H_
#define MDBTOMYSQL_INPUT_DATE_TIME_STAMP_H_

#include <functional>
#include <string>

namespace input {

// The current local date and time as calendar fields.
struct LocalTime {
  int year, month, day, hour, minute, second;
};

// The date and time of the last StampDateTime: "dd-MM-yyyy" and "HH:mm:ss" (24-hour clock, every
// field with its leading zero). Both are empty until the first call.
extern std::string StampDate;
extern std::string StampTime;

// Refreshes StampDate and StampTime from the clock.
void StampDateTime();

// The clock StampDateTime reads; the system's local clock unless a test sets another. Passing
// an empty function restores the system clock.
void SetStampClock(std::function<LocalTime()> clock);

}  // namespace input

#endif  // MDBTOMYSQL_INPUT_DATE_TIME_STAMP_H_
