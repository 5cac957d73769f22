// The aggregation must give, to the last bit, what the plain two-pass aggregation in
// support/aggregation_reference.h gives: every slot, every day's and month's statistics,
// for sorted days and for anything a damaged file may hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "data/aggregation.h"
#include "support/aggregation_reference.h"

namespace pelnor {
namespace {

using test::aggregateBothWays;
using test::firstDifference;

constexpr int32_t kMaxPulses = std::numeric_limits<int32_t>::max();
constexpr int32_t kMinPulses = std::numeric_limits<int32_t>::min();
const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(AggregationEquivalence, TheComparisonSeesEveryBit) {
  MonthRecord month;
  month.days[3].slots[7].temperature = 0.0;
  MonthRecord negativeZero = month;
  negativeZero.days[3].slots[7].temperature = -0.0;
  EXPECT_EQ(firstDifference(month, negativeZero), "day 4 slot 7.temperature");

  MonthRecord otherAverage = month;
  otherAverage.demandStats.avg.demandKw = std::nextafter(0.0, 1.0);
  EXPECT_EQ(firstDifference(month, otherAverage), "demandStats.avg.demandKw");
  EXPECT_EQ(firstDifference(month, month), "");
}

MonthRecord monthOfDays(std::initializer_list<std::vector<Reading>> days, int32_t multiplier = 60) {
  MonthRecord month;
  std::size_t d = 0;
  for (const std::vector<Reading>& readings : days) {
    month.days[d].header.multiplier = multiplier;
    month.days[d++].readings = readings;
  }
  return month;
}

MonthRecord fullMonth(int32_t multiplier) {
  MonthRecord month;
  for (int d = 0; d < kDaysPerMonth; ++d) {
    DayRecord& day = month.days[static_cast<std::size_t>(d)];
    day.header.multiplier = multiplier;
    for (int s = 0; s < kSlotsPerDay; ++s) {
      day.readings.push_back(Reading{s / 2, s % 2 * 30, 100 + (d * 7 + s * 13) % 900, 15.0 + s % 10});
    }
  }
  return month;
}

struct CraftedMonth {
  const char* name;
  MonthRecord month;
};

std::vector<CraftedMonth> craftedMonths() {
  MonthRecord multipliers = fullMonth(60);
  const int32_t multiplierList[] = {0, 1, -60, 1200, kMaxPulses, kMinPulses};
  for (std::size_t d = 0; d < multipliers.days.size(); ++d) {
    multipliers.days[d].header.multiplier = multiplierList[d % std::size(multiplierList)];
  }
  MonthRecord hugeTemperatures = fullMonth(60);
  for (DayRecord& day : hugeTemperatures.days) {
    for (Reading& r : day.readings) r.temperature = r.minute == 0 ? 1e308 : -1e308;
  }
  return {
      {"empty", MonthRecord{}},
      {"full", fullMonth(60)},
      {"full, negative multiplier", fullMonth(-60)},
      {"full, multiplier 0", fullMonth(0)},
      {"multipliers differing by day", multipliers},
      {"day sums of temperatures beyond the largest double", hugeTemperatures},
      {"gaps", monthOfDays({{},
                            {{0, 0, 5, 10}},
                            {{23, 59, 5, 10}},
                            {{0, 0, 1, 1}, {12, 30, 2, 2}, {23, 30, 3, 3}},
                            {},
                            {{5, 45, 9, -3.5}}})},
      {"several readings in one half hour",
       monthOfDays({{{10, 0, 30, 21}, {10, 10, 12, 19}, {10, 29, 5, 25}, {10, 30, 1, 1}},
                    {{0, 0, 1, 0.0}, {0, 10, 1, -0.0}, {1, 0, 1, -0.0}, {1, 10, 1, 0.0}},
                    {{7, 0, kMaxPulses, 3}, {7, 5, 1, 4}, {7, 10, -5, 2}}})},
      {"readings out of order", monthOfDays({{{23, 0, 1, 1}, {0, 0, 2, 2}, {12, 0, 3, 3}},
                                             {{10, 0, 1, 5}, {11, 0, 2, 6}, {10, 15, 3, 7}},
                                             {{10, 0, 1, 5}, {10, 0, 7, 9}, {9, 30, 2, 1}, {10, 0, -4, 8}},
                                             {{1, 0, 4, 0.0}, {0, 0, 1, 1}, {1, 10, 4, -0.0}}})},
      {"times outside the day",
       monthOfDays({{{-1, 0, 5, 50}, {0, 0, 1, 1}, {24, 0, 5, 50}, {1, 0, 2, 2}},
                    {{3, 60, 9, 9}, {3, -1, 9, 9}, {kMaxPulses, 0, 9, 9}, {kMinPulses, kMinPulses, 9, 9}},
                    {{5, 0, 1, 1}, {99, 0, 9, 9}, {4, 0, 2, 2}}})},
      {"saturating pulses",
       monthOfDays({{{0, 0, kMaxPulses, 1}, {0, 30, kMaxPulses, 1}, {1, 0, -1, 1}, {1, 30, kMinPulses, 1}},
                    {{0, 0, kMinPulses, 1}, {0, 10, -1, 1}, {0, 30, kMinPulses, 1}, {1, 0, kMaxPulses, 1}},
                    {{2, 0, kMaxPulses, 1}, {2, 10, kMaxPulses, 1}, {2, 20, kMinPulses, 1}}})},
      {"negative pulse counts", monthOfDays({{{0, 0, -5, 1}, {0, 30, -7, 2}, {1, 0, 0, 3}, {1, 30, 3, 4}}})},
      {"no pulses times a negative multiplier: energies of -0",
       monthOfDays({{{0, 0, 0, 1}}, {{0, 0, 0, 1}, {5, 0, 0, 2}}}, -60)},
      {"temperatures that are not numbers",
       monthOfDays({{{0, 0, 1, kNan}, {0, 10, 1, 20}, {0, 30, 1, kInf}, {1, 0, 1, -kInf}, {1, 10, 1, kNan}},
                    {{0, 0, 1, kNan}, {0, 30, 1, kInf}},
                    {{5, 0, 1, -kNan}, {5, 10, 1, 3}, {5, 20, 1, kInf}, {4, 0, 1, kNan}}})},
  };
}

TEST(AggregationEquivalence, CraftedMonthsAgreeBitForBit) {
  for (const CraftedMonth& c : craftedMonths()) {
    for (int32_t pulseConstant : {50000, 1, 0, -1, kMaxPulses, kMinPulses}) {
      SCOPED_TRACE(std::string(c.name) + ", pulse constant " + std::to_string(pulseConstant));
      EXPECT_EQ(aggregateBothWays(c.month, pulseConstant), "");
    }
  }
}

// Months shaped like real and damaged ones: sorted days full or with gaps, several readings
// in one half hour, shuffled days, times outside the day, any pulse count and temperature.
class RandomMonths {
 public:
  MonthRecord next() {
    MonthRecord month;
    for (DayRecord& day : month.days) {
      day.header.multiplier = pick({60, 1, 0, -60, 1200, kMaxPulses, kMinPulses, between(-100000, 100000)});
      fillDay(day);
    }
    return month;
  }
  int32_t pulseConstant() { return pick({50000, 50000, 1, 0, -1, 1000, kMaxPulses, between(1, 100000)}); }

 private:
  void fillDay(DayRecord& day) {
    const int shape = between(0, 9);
    if (shape == 0) return;  // no readings
    const int perSlotLimit = shape <= 3 ? 1 : 3;
    const int keep = shape == 1 ? 100 : between(5, 100);  // percentage of slots with readings
    for (int slot = 0; slot < kSlotsPerDay; ++slot) {
      if (between(1, 100) > keep) continue;
      const int count = between(1, perSlotLimit);
      for (int i = 0; i < count; ++i) {
        const int minute = slot % 2 * 30 + (count == 1 ? 0 : between(0, 29));
        day.readings.push_back(Reading{slot / 2, minute, pulses(), temperature()});
      }
    }
    if (shape == 8) std::shuffle(day.readings.begin(), day.readings.end(), random_);
    if (shape >= 8) {
      for (int i = between(0, 3); i > 0; --i) {
        const auto at = day.readings.begin() + between(0, static_cast<int>(day.readings.size()));
        day.readings.insert(at,
                            Reading{pick({-1, 24, 25, 3}), pick({60, -1, 0, 99}), pulses(), temperature()});
      }
    }
  }

  int32_t pulses() {
    switch (between(0, 9)) {
      case 0:
        return pick({kMaxPulses, kMinPulses, kMaxPulses - 1, kMinPulses + 1, 0, -1});
      case 1:
        return between(-1000, 0);
      case 2:
        return between(kMaxPulses / 2, kMaxPulses);
      default:
        return between(0, 9999);
    }
  }

  double temperature() {
    switch (between(0, 19)) {
      case 0:
        return kNan;
      case 1:
        return pick({kInf, -kInf});
      case 2:
        return pick({0.0, -0.0});
      case 3:
        return pick({1e308, -1e308, 5e-324});
      default:
        return between(-80, 160) * 0.25;
    }
  }

  int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  template <typename T>
  T pick(std::initializer_list<T> values) {
    return values.begin()[between(0, static_cast<int>(values.size()) - 1)];
  }

  std::mt19937 random_{20261211};
};

TEST(AggregationEquivalence, RandomMonthsAgreeBitForBit) {
  RandomMonths months;
  for (int i = 0; i < 2000; ++i) {
    const MonthRecord month = months.next();
    const int32_t pulseConstant = months.pulseConstant();
    const std::string difference = aggregateBothWays(month, pulseConstant);
    ASSERT_EQ(difference, "") << "random month " << i << ", pulse constant " << pulseConstant;
  }
}

}  // namespace
}  // namespace pelnor
