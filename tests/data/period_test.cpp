#include "data/period.h"

#include <gtest/gtest.h>

namespace pelnor {
namespace {

TEST(Period, TextsOfTheDateSelectors) {
  const DateTime date = DateTime::fromFields(2024, 1, 5, 13, 30);
  EXPECT_EQ(monthText(Period::Day, date), "2024年 1月 5日");
  EXPECT_EQ(monthText(Period::Month, date), "2024年 1月");
  EXPECT_EQ(monthText(Period::Year, date), "2024年 1月") << "a year is chosen by its last month";
  EXPECT_EQ(monthText(Period::Month, DateTime(DateTime::kInvalid, 0)), "  -1年-1月");
  EXPECT_STREQ(periodName(Period::Year), "年別");
}

TEST(Period, StepsFromOnePeriodToTheNext) {
  struct Case {
    Period period;
    DateTime date, start, next;
  } cases[] = {
      {Period::Day, DateTime::fromFields(2024, 2, 29, 23, 30), DateTime::fromFields(2024, 2, 29),
       DateTime::fromFields(2024, 3, 1)},
      {Period::Month, DateTime::fromFields(2024, 2, 29, 23, 30), DateTime::fromFields(2024, 2, 1),
       DateTime::fromFields(2024, 3, 1)},
      {Period::Year, DateTime::fromFields(2023, 12, 31), DateTime::fromFields(2023, 12, 1),
       DateTime::fromFields(2024, 1, 1)},
  };
  for (const Case& c : cases) {
    const DateTime start = periodStart(c.period, c.date);
    EXPECT_EQ(start, c.start) << periodName(c.period);
    EXPECT_EQ(nextPeriodStart(c.period, start), c.next) << periodName(c.period);
  }
}

}  // namespace
}  // namespace pelnor
