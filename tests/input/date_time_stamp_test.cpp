#include "input/date_time_stamp.h"

#include <gtest/gtest.h>

namespace input {
namespace {

class StampTest : public ::testing::Test {
 protected:
  void TearDown() override { SetStampClock({}); }
  void Stamp(LocalTime t) {
    SetStampClock([t] { return t; });
    StampDateTime();
  }
};

TEST_F(StampTest, FieldsKeepTheirLeadingZerosOnTheTwentyFourHourClock) {
  Stamp({2024, 3, 5, 0, 0, 0});
  EXPECT_EQ(StampDate, "05-03-2024");
  EXPECT_EQ(StampTime, "00:00:00");
  Stamp({2024, 11, 9, 13, 4, 7});
  EXPECT_EQ(StampDate, "09-11-2024");
  EXPECT_EQ(StampTime, "13:04:07");
  Stamp({999, 12, 31, 23, 59, 59});
  EXPECT_EQ(StampDate, "31-12-0999");
  EXPECT_EQ(StampTime, "23:59:59");
}

TEST_F(StampTest, KeepsTheLastMomentUntilCalledAgain) {
  Stamp({2024, 1, 2, 3, 4, 5});
  SetStampClock([] { return LocalTime{2030, 6, 7, 8, 9, 10}; });
  EXPECT_EQ(StampTime, "03:04:05");
  StampDateTime();
  EXPECT_EQ(StampTime, "08:09:10");
}

TEST(StampSystemClock, GivesFullLengthTexts) {
  StampDateTime();
  EXPECT_EQ(StampDate.size(), 10u);
  EXPECT_EQ(StampTime.size(), 8u);
}

}  // namespace
}  // namespace input
