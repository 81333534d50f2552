#include "input/date_time_checks.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/recording_screen.h"

namespace input {
namespace {

// The one message a failed check shows: "text | title | icon".
std::string Said(const ui::RecordingScreen& screen) {
  if (screen.messages().size() != 1) return "messages: " + std::to_string(screen.messages().size());
  const auto& m = screen.messages()[0];
  const char* icon = m.icon == ui::Icon::kCritical      ? "stop"
                     : m.icon == ui::Icon::kInformation ? "information"
                                                        : "none";
  return m.text + " | " + m.title + " | " + icon;
}

std::string DateSays(std::string text) {
  ui::RecordingScreen screen;
  const bool valid = CheckDate(text, screen);
  if (valid) return screen.messages().empty() ? "valid" : "valid with a message";
  return Said(screen);
}

TEST(CheckDate, AcceptsRealDates) {
  for (const char* date : {"01-02-2020", "31-01-2020", "30-04-2020", "31-12-9999", "01-01-1800",
                           "28-02-2021", "29-02-2024", "31/03/2020", "01.01.2000"}) {
    EXPECT_EQ(DateSays(date), "valid") << date;
  }
}

TEST(CheckDate, EveryYearDivisibleByFourIsALeapYear) {
  EXPECT_EQ(DateSays("29-02-1900"), "valid");
  EXPECT_EQ(DateSays("29-02-2100"), "valid");
  EXPECT_EQ(DateSays("29-02-2000"), "valid");
  EXPECT_EQ(DateSays("29-02-2021"), "Invalid day for month. Max days = 28 | Date Error | stop");
  EXPECT_EQ(DateSays("30-02-2024"),
            "Invalid day for month. Max days = 29 (Leap year) | Date Error | stop");
}

TEST(CheckDate, DayLimitsByMonth) {
  EXPECT_EQ(DateSays("31-04-2020"), "Invalid day for month. Max days = 30 | Date Error | stop");
  EXPECT_EQ(DateSays("32-08-2020"), "Invalid day for month. Max days = 31 | Date Error | stop");
  EXPECT_EQ(DateSays("00-01-2020"), "Invalid day for month. Max days = 31 | Date Error | stop");
  EXPECT_EQ(DateSays("00-02-2021"), "Invalid day for month. Max days = 28 | Date Error | stop");
}

TEST(CheckDate, MessagesInTheOrderOfTheChecks) {
  EXPECT_EQ(DateSays("1-02-2020"), "Invalid date. | Date Error | stop");
  EXPECT_EQ(DateSays(""), "Invalid date. | Date Error | stop");
  EXPECT_EQ(DateSays("ab-02-2020"), "Invalid date. | Date Error | stop");
  // The day is examined before the year and the year's leading zero before the month.
  EXPECT_EQ(DateSays("ab-xx-0999"), "Invalid date. | Date Error | stop");
  EXPECT_EQ(DateSays("01-xx-0999"), "Invalid Year. | Year Error | stop");
  EXPECT_EQ(DateSays("01-xx-1799"), "Invalid Month. | Month Error | stop");
  EXPECT_EQ(DateSays("01-13-1799"), "Invalid Year. | Year Error | stop");
  EXPECT_EQ(DateSays("01-01-1799"), "Invalid Year. | Year Error | stop");
  EXPECT_EQ(DateSays("01-01-0999"), "Invalid Year. | Year Error | stop");
  EXPECT_EQ(DateSays("01-01-20x0"), "Invalid Year. | Year Error | stop");
  EXPECT_EQ(DateSays("01-13-2020"), "Invalid month. | Date Error | stop");
  EXPECT_EQ(DateSays("32-13-2020"), "Invalid month. | Date Error | stop");
}

TEST(CheckDate, PartsMustBePlainDigits) {
  // Signs, spaces and points would read as numbers elsewhere; " 2" as a month would even escape
  // the February limit, which is matched as the text "02".
  EXPECT_EQ(DateSays("30- 2-2024"), "Invalid Month. | Month Error | stop");
  EXPECT_EQ(DateSays("+1-02-2020"), "Invalid date. | Date Error | stop");
  EXPECT_EQ(DateSays("1.-02-2020"), "Invalid date. | Date Error | stop");
  EXPECT_EQ(DateSays("01-02- 202"), "Invalid Year. | Year Error | stop");
}

TEST(CheckDate, RemovesApostrophesFromTheCallersText) {
  std::string text = "'01-02-2020'";
  ui::RecordingScreen screen;
  EXPECT_TRUE(CheckDate(text, screen));
  EXPECT_EQ(text, "01-02-2020");
  // The length is judged without them.
  EXPECT_EQ(DateSays("01-02-20'20"), "valid");
  EXPECT_EQ(DateSays("01-02-202'"), "Invalid date. | Date Error | stop");
}

std::string MonthYearSays(const std::string& text) {
  ui::RecordingScreen screen;
  if (CheckMonthYear(text, screen)) return screen.messages().empty() ? "valid" : "valid?";
  return Said(screen);
}

TEST(CheckMonthYear, ChecksTheFirstTwoAndTheLastFourCharacters) {
  EXPECT_EQ(MonthYearSays("02-2020"), "valid");
  EXPECT_EQ(MonthYearSays("12/1800"), "valid");
  EXPECT_EQ(MonthYearSays("01 and then 2020"), "valid");  // the middle is not examined
  EXPECT_EQ(MonthYearSays("13-2020"), "Invalid month. | Date Error | stop");
  EXPECT_EQ(MonthYearSays("02-1799"), "Invalid Year. | Year Error | stop");
  EXPECT_EQ(MonthYearSays("02-0999"), "Invalid Year. | Year Error | stop");
  EXPECT_EQ(MonthYearSays("xx-0999"), "Invalid Year. | Year Error | stop");
  EXPECT_EQ(MonthYearSays("xx-1799"), "Invalid Month. | Month Error | stop");
  EXPECT_EQ(MonthYearSays("1-2020"), "Invalid Month. | Month Error | stop");
  EXPECT_EQ(MonthYearSays("13-20x0"), "Invalid Year. | Year Error | stop");
  EXPECT_EQ(MonthYearSays(""), "Invalid Month. | Month Error | stop");
}

std::string TimeSays(const std::string& text) {
  ui::RecordingScreen screen;
  if (CheckTime(text, screen)) return screen.messages().empty() ? "valid" : "valid?";
  return Said(screen);
}

TEST(CheckTime, HoursUpTo23MinutesUpTo59) {
  for (const char* time : {"00:00", "09:30", "23:59", "12:00"}) {
    EXPECT_EQ(TimeSays(time), "valid") << time;
  }
  for (const char* time : {"24:00", "12:60", "99:99", "09.30", "09-30", "0930", "9:30", "ab:cd",
                           "-1:30", "+9:30", " 9:30", "1.:30", "09:-1", "", "09:"}) {
    EXPECT_EQ(TimeSays(time), "Invalid time format. | Invalid Time | information") << time;
  }
}

}  // namespace
}  // namespace input
