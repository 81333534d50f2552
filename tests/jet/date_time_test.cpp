#include "jet/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

jet::DateTime Convert(double days, bool round_to_second = false) {
  jet::DateTime t;
  EXPECT_TRUE(jet::JetDateToDateTime(days, &t, round_to_second)) << days;
  return t;
}

TEST(JetDate, DaysBeforeTheEpochCountBackwardsWithAPositiveTimeOfDay) {
  EXPECT_EQ(jet::FormatDateTime(Convert(0)), "1899-12-30 00:00:00");
  EXPECT_EQ(jet::FormatDateTime(Convert(-1.25)), "1899-12-29 06:00:00");
  EXPECT_EQ(jet::FormatDateTime(Convert(-0.5)), "1899-12-30 12:00:00");
  EXPECT_EQ(jet::FormatDateTime(Convert(0.5)), "1899-12-30 12:00:00");
  EXPECT_EQ(jet::FormatDateTime(Convert(-18076.25)), "1850-07-04 06:00:00");
  EXPECT_EQ(jet::FormatDateTime(Convert(2)), "1900-01-01 00:00:00");
  EXPECT_EQ(jet::FormatDateTime(Convert(60)), "1900-02-28 00:00:00") << "1900 is no leap year";
  EXPECT_EQ(jet::FormatDateTime(Convert(-657434)), "0100-01-01 00:00:00");
  EXPECT_EQ(jet::FormatDateTime(Convert(2958465)), "9999-12-31 00:00:00");
}

TEST(JetDate, RoundingToTheSecondCarriesIntoTheNextDay) {
  // 23:59:59.6 rounds to midnight of the following day, on both sides of the epoch.
  double almost = 1.0 - 0.4 / 86400.0;
  EXPECT_EQ(jet::FormatDateTime(Convert(44561 + almost, true)), "2022-01-01 00:00:00");
  EXPECT_EQ(jet::FormatDateTime(Convert(-2 - almost, true)), "1899-12-29 00:00:00");
  EXPECT_EQ(jet::FormatDateTime(Convert(44561 + almost, false)), "2021-12-31 23:59:59");
  jet::DateTime t = Convert(0.36458333333333331);  // 08:45 as Access stores it
  EXPECT_EQ(t.hour, 8);
  EXPECT_EQ(t.minute, 45);
  EXPECT_EQ(t.second, 0);
  EXPECT_EQ(t.millisecond, 0);
}

TEST(JetDate, ValuesOutsideJetsRangeAreRejected) {
  jet::DateTime t;
  EXPECT_FALSE(jet::JetDateToDateTime(std::numeric_limits<double>::quiet_NaN(), &t));
  EXPECT_FALSE(jet::JetDateToDateTime(std::numeric_limits<double>::infinity(), &t));
  EXPECT_FALSE(jet::JetDateToDateTime(1e300, &t));
  EXPECT_FALSE(jet::JetDateToDateTime(-700000, &t));
  EXPECT_FALSE(jet::JetDateToDateTime(2958466.5, &t));
}

TEST(JetDate, CalendarFieldsConvertBackExactly) {
  for (double days :
       {-18076.25, -1.25, 0.0, 0.36458333333333331, 42450.385902777778, 73415.999988425923}) {
    jet::DateTime t = Convert(days);
    EXPECT_NEAR(jet::DateTimeToJetDate(t), days, 0.5 / 86400000.0) << days;
  }
}

}  // namespace
