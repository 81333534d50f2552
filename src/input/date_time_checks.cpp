#include "input/date_time_checks.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "base/utf16.h"

namespace input {
namespace {

constexpr int kFirstYear = 1800;

// A whole number written in ASCII digits only.
std::optional<int> ReadDigits(std::u16string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  return value;
}

// The first and last `n` characters, or the whole text when it is shorter.
std::u16string_view Left(std::u16string_view text, size_t n) { return text.substr(0, n); }
std::u16string_view Right(std::u16string_view text, size_t n) {
  return text.substr(text.size() - std::min(n, text.size()));
}

bool DateError(ui::Screen& screen, const std::string& text, const std::string& title) {
  screen.MessageBox(text, title, ui::Icon::kCritical);
  return false;
}

// The checks of month and year that dates and month-and-year values share, in the order the
// person is told about them. The day's own check comes before these.
bool CheckMonthAndYear(std::u16string_view month, std::u16string_view year, ui::Screen& screen) {
  if (!year.empty() && year[0] == u'0') return DateError(screen, "Invalid Year.", "Year Error");
  const std::optional<int> month_number = ReadDigits(month);
  if (!month_number) return DateError(screen, "Invalid Month.", "Month Error");
  const std::optional<int> year_number = ReadDigits(year);
  if (!year_number || *year_number < kFirstYear) {
    return DateError(screen, "Invalid Year.", "Year Error");
  }
  if (*month_number < 1 || *month_number > 12) {
    return DateError(screen, "Invalid month.", "Date Error");
  }
  return true;
}

}  // namespace

bool CheckDate(std::string& text, ui::Screen& screen) {
  std::erase(text, '\'');
  const std::u16string date = base::Utf8ToUtf16(text);
  if (date.size() != 10) return DateError(screen, "Invalid date.", "Date Error");
  const std::u16string_view all(date);
  const std::u16string_view month = all.substr(3, 2);
  const std::u16string_view year = all.substr(6, 4);
  const std::optional<int> day = ReadDigits(all.substr(0, 2));
  if (!day) return DateError(screen, "Invalid date.", "Date Error");
  if (!CheckMonthAndYear(month, year, screen)) return false;

  const bool leap_year = *ReadDigits(year) % 4 == 0;
  std::string max_days;
  int max_day;
  if (month == u"01" || month == u"03" || month == u"05" || month == u"07" || month == u"08" ||
      month == u"10" || month == u"12") {
    max_day = 31, max_days = "31";
  } else if (month == u"02") {
    max_day = leap_year ? 29 : 28, max_days = leap_year ? "29 (Leap year)" : "28";
  } else {
    max_day = 30, max_days = "30";
  }
  if (*day < 1 || *day > max_day) {
    return DateError(screen, "Invalid day for month. Max days = " + max_days, "Date Error");
  }
  return true;
}

bool CheckMonthYear(const std::string& text, ui::Screen& screen) {
  const std::u16string month_year = base::Utf8ToUtf16(text);
  return CheckMonthAndYear(Left(month_year, 2), Right(month_year, 4), screen);
}

bool CheckTime(const std::string& text, ui::Screen& screen) {
  const std::u16string time = base::Utf8ToUtf16(text);
  const std::optional<int> hour = ReadDigits(Left(time, 2));
  const std::optional<int> minute = ReadDigits(Right(time, 2));
  if (hour && minute && *hour <= 23 && *minute < 60 && time.size() >= 3 && time[2] == u':') {
    return true;
  }
  screen.MessageBox("Invalid time format.", "Invalid Time", ui::Icon::kInformation);
  return false;
}

}  // namespace input
