#include "input/date_time_stamp.h"

#include <cstdio>
#include <ctime>

namespace input {

std::string StampDate;
std::string StampTime;

namespace {

LocalTime SystemClock() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

std::function<LocalTime()>& Clock() {
  static std::function<LocalTime()> clock = SystemClock;
  return clock;
}

}  // namespace

void SetStampClock(std::function<LocalTime()> clock) {
  Clock() = clock ? std::move(clock) : std::function<LocalTime()>(SystemClock);
}

void StampDateTime() {
  const LocalTime t = Clock()();
  char date[32];
  char time[32];
  std::snprintf(date, sizeof date, "%02d-%02d-%04d", t.day, t.month, t.year);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  StampDate = date;
  StampTime = time;
}

}  // namespace input
