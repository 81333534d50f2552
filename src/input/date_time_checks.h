#ifndef MDBTOMYSQL_INPUT_DATE_TIME_CHECKS_H_
#define MDBTOMYSQL_INPUT_DATE_TIME_CHECKS_H_

#include <string>

#include "ui/screen.h"

namespace input {

// The checks behind the date, month-and-year and time fields. Each returns true for a valid
// value; otherwise it tells the person what is wrong in a message box on `screen` (critical icon
// for dates, information icon for times) and returns false.
//
// Day, month, year, hour and minute must be written in plain digits: "+1", " 2" or "1." are not
// numbers here, even where the number fields would accept them, because the month is also matched
// as text against "01" to "12" and a time or date must not carry a sign.

// `text` as "dd-MM-yyyy" (the separators are not examined), from the year 1800 on. Every year
// divisible by 4 is a leap year: there is no century rule, so 29-02-1900 and 29-02-2100 pass.
// Removes every apostrophe from `text` first, in the caller's copy too.
bool CheckDate(std::string& text, ui::Screen& screen);

// The first two characters as the month, the last four as the year (from 1800 on); nothing else
// is examined.
bool CheckMonthYear(const std::string& text, ui::Screen& screen);

// The first two characters as the hour (0 to 23), the last two as the minute (0 to 59), ":" as
// the third character.
bool CheckTime(const std::string& text, ui::Screen& screen);

}  // namespace input

#endif  // MDBTOMYSQL_INPUT_DATE_TIME_CHECKS_H_
