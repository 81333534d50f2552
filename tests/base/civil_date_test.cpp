#include "base/civil_date.h"

#include <gtest/gtest.h>

namespace {

TEST(CivilDate, CountsDaysAcrossCenturiesAndLeapRules) {
  EXPECT_EQ(base::DaysFromCivil(1970, 1, 1), 0);
  EXPECT_EQ(base::DaysFromCivil(1899, 12, 30), -25569) << "Jet's day 0";
  EXPECT_EQ(base::DaysFromCivil(2000, 3, 1) - base::DaysFromCivil(2000, 2, 28), 2)
      << "2000 is a leap year";
  EXPECT_EQ(base::DaysFromCivil(1900, 3, 1) - base::DaysFromCivil(1900, 2, 28), 1)
      << "1900 is not";
  for (int64_t days : {-657434 - 25569, -1, 0, 59, 60, 2932896}) {
    const base::CivilDay d = base::CivilFromDays(days);
    EXPECT_EQ(base::DaysFromCivil(d.year, d.month, d.day), days);
  }
}

TEST(CivilDate, FormatsFourDigitYearsAndKeepsLongerOnes) {
  EXPECT_EQ(base::FormatDateTime(100, 1, 1, 0, 0, 0), "0100-01-01 00:00:00");
  EXPECT_EQ(base::FormatDateTime(2023, 5, 17, 14, 30, 5), "2023-05-17 14:30:05");
  // A date rounded past the last one MySQL holds must not turn into year 0000.
  EXPECT_EQ(base::FormatDateTime(10000, 1, 1, 0, 0, 0), "10000-01-01 00:00:00");
}

}  // namespace
