#include "data/aggregation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace pelnor {
namespace {

DayRecord dayWith(std::initializer_list<Reading> readings, int32_t multiplier = 60) {
  DayRecord day;
  day.header.multiplier = multiplier;
  for (const Reading& r : readings) addReading(day, r);
  return day;
}

TEST(Aggregation, ReadingsOfOneHalfHourShareASlot) {
  DayRecord day = dayWith({{10, 0, 30, 21}, {10, 10, 12, 19}, {10, 30, 5, 18}});
  aggregateDay(day, 50000);
  EXPECT_EQ(day.slots[20].valid, 1);
  EXPECT_EQ(day.slots[20].pulses, 42);
  EXPECT_EQ(day.slots[20].temperature, 21);
  EXPECT_EQ(day.slots[21].pulses, 5);
  EXPECT_EQ(day.slots[19].valid, 0);
  EXPECT_EQ(day.dayStats.count, 2);
}

// A damaged file may hold NaN or infinity as a temperature: the pulses count, the
// temperature stays out of every statistic.
TEST(Aggregation, TemperaturesThatAreNotNumbersStayOutOfTheStatistics) {
  const double nan = std::nan("");
  const double inf = HUGE_VAL;
  MonthRecord month;
  month.days[0] = dayWith({{10, 0, 1, nan}, {10, 10, 1, 21}, {11, 0, 1, inf}, {12, 0, 1, 19}});
  month.days[1] = dayWith({{10, 0, 1, -inf}});
  aggregateMonth(month, 50000);
  const DayRecord& day = month.days[0];
  EXPECT_EQ(day.slots[20].temperature, 21);
  EXPECT_EQ(day.slots[22].valid, 1);
  EXPECT_EQ(day.slots[22].temperatureValid, 0);
  EXPECT_EQ(day.dayStats.count, 3);
  EXPECT_EQ(day.dayStats.sum.pulses, 4);
  EXPECT_EQ(day.dayStats.max.temperature, 21);
  EXPECT_EQ(day.dayStats.min.temperature, 19);
  EXPECT_EQ(day.dayStats.avg.temperature, 20);
  EXPECT_EQ(month.days[1].dayStats.max.temperatureValid, 0);
  EXPECT_EQ(month.temperatureStats.count, 2);
  EXPECT_EQ(month.temperatureStats.temperatureCount, 1);
  EXPECT_EQ(month.temperatureStats.max.temperature, 21);
  EXPECT_EQ(month.temperatureStats.avg.temperature, 21);
}

TEST(Aggregation, DemandAndEnergyFromMultiplierAndPulseConstant) {
  DayRecord day = dayWith({{0, 0, 1000, 20}, {0, 30, 1, 20}});
  aggregateDay(day, 50000);
  EXPECT_DOUBLE_EQ(day.slots[0].energyKwh, 1.2);
  EXPECT_DOUBLE_EQ(day.slots[0].demandKw, 2.4);
  EXPECT_DOUBLE_EQ(day.slots[1].energyKwh, 0.0012);

  // Half the pulse constant doubles every value; the stored header is untouched.
  aggregateDay(day, 25000);
  EXPECT_DOUBLE_EQ(day.slots[0].demandKw, 4.8);
  EXPECT_EQ(day.header.multiplier, 60);
}

TEST(Aggregation, DayStatisticsColumnByColumn) {
  DayRecord day = dayWith({{1, 0, 10, 30}, {2, 0, 11, 10}, {3, 0, 12, 20}});
  aggregateDay(day, 50000);
  const SlotStats& s = day.dayStats;
  EXPECT_EQ(s.count, 3);
  EXPECT_EQ(s.sum.pulses, 33);
  EXPECT_EQ(s.max.pulses, 12);
  EXPECT_EQ(s.min.pulses, 10);
  EXPECT_EQ(s.avg.pulses, 11);
  EXPECT_EQ(s.max.temperature, 30);  // from another row than the largest pulse count
  EXPECT_EQ(s.min.temperature, 10);
  EXPECT_DOUBLE_EQ(s.avg.temperature, 20);

  DayRecord uneven = dayWith({{1, 0, 10, 0}, {2, 0, 11, 0}, {3, 0, 13, 0}});
  aggregateDay(uneven, 50000);
  EXPECT_EQ(uneven.dayStats.avg.pulses, 11);  // 34 / 3, truncated
  EXPECT_DOUBLE_EQ(uneven.dayStats.avg.energyKwh, (1.0 / 3) * (34 * 0.0012));
}

TEST(Aggregation, EmptyDayIsInvalidEverywhere) {
  DayRecord day;
  aggregateDay(day, 50000);
  for (const SlotValue& slot : day.slots) EXPECT_EQ(slot.valid, 0);
  EXPECT_EQ(day.dayStats, SlotStats{});
}

TEST(Aggregation, MonthStatisticsAndDemandDays) {
  MonthRecord month;
  month.days[2] = dayWith({{8, 0, 100, 15}, {9, 0, 400, 18}});  // max 400 pulses
  month.days[4] = dayWith({{8, 0, 200, 25}});                   // max 200
  month.days[9] = dayWith({{8, 0, 400, 12}, {12, 0, 50, 11}});  // ties day 3's max
  aggregateMonth(month, 50000);

  EXPECT_EQ(month.pulseStats.count, 3);
  EXPECT_EQ(month.pulseStats.sum.pulses, 1150);
  EXPECT_DOUBLE_EQ(month.energyStats.sum.energyKwh, 1150 * 0.0012);
  EXPECT_DOUBLE_EQ(month.demandStats.max.demandKw, 400 * 0.0024);  // largest slot of the month
  EXPECT_DOUBLE_EQ(month.demandStats.min.demandKw, 200 * 0.0024);  // smallest daily maximum
  EXPECT_EQ(month.temperatureStats.max.temperature, 25);
  EXPECT_EQ(highestDemandDay(month), 2);  // the earlier of two equal days
  EXPECT_EQ(lowestDemandDay(month), 4);

  MonthRecord empty;
  aggregateMonth(empty, 50000);
  EXPECT_EQ(highestDemandDay(empty), -1);
  EXPECT_EQ(lowestDemandDay(empty), -1);
  EXPECT_EQ(empty.demandStats, SlotStats{});
}

TEST(Aggregation, BadPulseConstantsAndStoredOddities) {
  for (int32_t k : {0, -1}) {
    DayRecord day = dayWith({{8, 0, 100, 15}});
    aggregateDay(day, k);
    EXPECT_EQ(day.slots[16].pulses, 100);
    EXPECT_EQ(day.slots[16].demandKw, 0);
    EXPECT_EQ(day.slots[16].energyKwh, 0);
    EXPECT_TRUE(std::isfinite(day.dayStats.avg.demandKw));
  }
  // Hours and minutes outside the day are skipped; huge counts saturate.
  DayRecord odd;
  odd.readings = {{-1, 0, 5, 0}, {24, 0, 5, 0}, {8, 60, 5, 0}, {9, 0, 2147483647, 0}, {9, 10, 2147483647, 0}};
  aggregateDay(odd, 50000);
  EXPECT_EQ(odd.dayStats.count, 1);
  EXPECT_EQ(odd.slots[18].pulses, 2147483647);
}

// A stored day may hold its readings in any order: every order gives the slots and
// statistics of the sorted day, to the last bit.
TEST(Aggregation, ReadingsInAnyOrderAggregateAsSorted) {
  const DayRecord sorted = dayWith({{0, 5, 7, 11.5},
                                    {0, 20, 3, 12.25},
                                    {0, 40, 9, 10},
                                    {7, 30, 1, 14},
                                    {7, 45, 4, 15.5},
                                    {13, 0, 2147483000, 20},
                                    {13, 15, 2000, 21},
                                    {23, 59, 6, 9}});
  struct Case {
    const char* name;
    std::vector<std::size_t> order;  // positions in the sorted readings
  } cases[] = {
      {"reversed", {7, 6, 5, 4, 3, 2, 1, 0}},
      {"out of order inside one slot", {1, 0, 2, 3, 4, 5, 6, 7}},
      {"one late reading at the end", {1, 2, 3, 4, 5, 6, 7, 0}},
      {"slots apart, each in order", {5, 6, 0, 1, 2, 7, 3, 4}},
  };
  DayRecord expected = sorted;
  aggregateDay(expected, 50000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DayRecord day = sorted;
    day.readings.clear();
    for (std::size_t i : c.order) day.readings.push_back(sorted.readings[i]);
    // A reading outside the day, stored in the middle, changes nothing.
    day.readings.insert(day.readings.begin() + 3, Reading{25, 0, 99, 30});
    aggregateDay(day, 50000);
    EXPECT_EQ(day.slots, expected.slots);
    EXPECT_EQ(day.dayStats, expected.dayStats);
  }
}

TEST(Aggregation, ReapplyVctReplacesHeaders) {
  MonthRecord month;
  DeviceRecord device;
  device.deviceId = 7;
  device.multiplier = 1200;
  reapplyVctToDay(month, 5, device);
  EXPECT_EQ(month.days[4].header, device);
  EXPECT_NE(month.days[5].header, device);
  reapplyVctToMonth(month, device);
  for (const DayRecord& day : month.days) EXPECT_EQ(day.header, device);
}

}  // namespace
}  // namespace pelnor
