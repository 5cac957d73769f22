// The aggregation as it was written first: every reading dropped into its slot, then one
// statistics pass over the 48 slots. The faster one in src/data/aggregation.cpp must give
// the same bits for every input; aggregateBothWays() compares the two for the tests and
// the fuzz target.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "data/aggregation.h"
#include "data/month_record.h"

namespace pelnor::reference {

inline int32_t addPulses(int32_t a, int32_t b) {
  int64_t sum = int64_t{a} + b;
  return static_cast<int32_t>(
      std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

template <typename T>
void keepLarger(T& stored, T value, bool first) {
  if (first || stored < value) stored = value;
}

template <typename T>
void keepSmaller(T& stored, T value, bool first) {
  if (first || value < stored) stored = value;
}

inline bool inDay(const Reading& r) { return r.hour >= 0 && r.hour <= 23 && r.minute >= 0 && r.minute <= 59; }

inline void takeIn(SlotStats& stats, const SlotValue& row) {
  stats.count += 1;

  SlotValue& sum = stats.sum;
  sum.valid = 1;
  sum.pulses = addPulses(sum.pulses, row.pulses);
  sum.demandKw += row.demandKw;
  sum.energyKwh += row.energyKwh;

  SlotValue& max = stats.max;
  bool first = max.valid == 0;
  keepLarger(max.pulses, row.pulses, first);
  keepLarger(max.demandKw, row.demandKw, first);
  keepLarger(max.energyKwh, row.energyKwh, first);
  max.valid = 1;

  SlotValue& min = stats.min;
  first = min.valid == 0;
  keepSmaller(min.pulses, row.pulses, first);
  keepSmaller(min.demandKw, row.demandKw, first);
  keepSmaller(min.energyKwh, row.energyKwh, first);
  min.valid = 1;

  if (row.temperatureValid == 0) return;
  stats.temperatureCount += 1;
  sum.temperature += row.temperature;
  keepLarger(max.temperature, row.temperature, max.temperatureValid == 0);
  keepSmaller(min.temperature, row.temperature, min.temperatureValid == 0);
  sum.temperatureValid = max.temperatureValid = min.temperatureValid = 1;
}

inline void finish(SlotStats& stats) {
  if (stats.count <= 0) return;
  const double reciprocal = 1.0 / stats.count;
  stats.avg.valid = 1;
  stats.avg.pulses = stats.sum.pulses / stats.count;
  stats.avg.demandKw = reciprocal * stats.sum.demandKw;
  stats.avg.energyKwh = reciprocal * stats.sum.energyKwh;
  if (stats.temperatureCount > 0) {
    stats.avg.temperatureValid = 1;
    stats.avg.temperature = (1.0 / stats.temperatureCount) * stats.sum.temperature;
  }
}

inline void aggregateDay(DayRecord& day, int32_t pulseConstant) {
  day.slots.fill(SlotValue{});
  day.dayStats = SlotStats{};

  for (const Reading& r : day.readings) {
    if (!inDay(r)) continue;
    SlotValue& slot = day.slots[static_cast<std::size_t>(r.hour * 2 + (r.minute >= 30 ? 1 : 0))];
    slot.pulses = slot.valid == 0 ? r.pulseCount : addPulses(slot.pulses, r.pulseCount);
    slot.valid = 1;
    if (!std::isfinite(r.temperature)) continue;
    if (slot.temperatureValid == 0 || r.temperature > slot.temperature) slot.temperature = r.temperature;
    slot.temperatureValid = 1;
  }

  const double kwhPerPulse =
      pulseConstant > 0 ? static_cast<double>(day.header.multiplier) / pulseConstant : 0.0;
  for (SlotValue& slot : day.slots) {
    if (slot.valid == 0) continue;
    slot.energyKwh = kwhPerPulse * slot.pulses;
    slot.demandKw = kwhPerPulse * slot.pulses * 2;
    reference::takeIn(day.dayStats, slot);
  }
  reference::finish(day.dayStats);
}

inline void aggregateMonth(MonthRecord& month, int32_t pulseConstant) {
  month.pulseStats = month.demandStats = month.energyStats = month.temperatureStats = SlotStats{};
  for (DayRecord& day : month.days) {
    reference::aggregateDay(day, pulseConstant);
    const SlotStats& s = day.dayStats;
    if (s.sum.valid) reference::takeIn(month.pulseStats, s.sum);
    if (s.max.valid) reference::takeIn(month.demandStats, s.max);
    if (s.sum.valid) reference::takeIn(month.energyStats, s.sum);
    if (s.max.valid) reference::takeIn(month.temperatureStats, s.max);
  }
  reference::finish(month.pulseStats);
  reference::finish(month.demandStats);
  reference::finish(month.energyStats);
  reference::finish(month.temperatureStats);
}

}  // namespace pelnor::reference

namespace pelnor::test {

// The first field whose bits differ, named by where it is; empty when all agree.
inline std::string firstDifference(const SlotValue& expected, const SlotValue& actual,
                                   const std::string& where) {
  auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
  if (expected.valid != actual.valid) return where + ".valid";
  if (expected.pulses != actual.pulses) return where + ".pulses";
  if (bits(expected.demandKw) != bits(actual.demandKw)) return where + ".demandKw";
  if (bits(expected.energyKwh) != bits(actual.energyKwh)) return where + ".energyKwh";
  if (bits(expected.temperature) != bits(actual.temperature)) return where + ".temperature";
  if (expected.temperatureValid != actual.temperatureValid) return where + ".temperatureValid";
  return {};
}

inline std::string firstDifference(const SlotStats& expected, const SlotStats& actual,
                                   const std::string& where) {
  if (expected.count != actual.count) return where + ".count";
  if (expected.temperatureCount != actual.temperatureCount) return where + ".temperatureCount";
  for (auto [name, row] : {std::pair{".sum", &SlotStats::sum}, std::pair{".max", &SlotStats::max},
                           std::pair{".min", &SlotStats::min}, std::pair{".avg", &SlotStats::avg}}) {
    std::string difference = firstDifference(expected.*row, actual.*row, where + name);
    if (!difference.empty()) return difference;
  }
  return {};
}

inline std::string firstDifference(const MonthRecord& expected, const MonthRecord& actual) {
  for (std::size_t d = 0; d < expected.days.size(); ++d) {
    const std::string day = "day " + std::to_string(d + 1);
    for (std::size_t s = 0; s < expected.days[d].slots.size(); ++s) {
      std::string difference = firstDifference(expected.days[d].slots[s], actual.days[d].slots[s],
                                               day + " slot " + std::to_string(s));
      if (!difference.empty()) return difference;
    }
    std::string difference = firstDifference(expected.days[d].dayStats, actual.days[d].dayStats, day);
    if (!difference.empty()) return difference;
  }
  for (auto [name, stats] : {std::pair{"pulseStats", &MonthRecord::pulseStats},
                             std::pair{"demandStats", &MonthRecord::demandStats},
                             std::pair{"energyStats", &MonthRecord::energyStats},
                             std::pair{"temperatureStats", &MonthRecord::temperatureStats}}) {
    std::string difference = firstDifference(expected.*stats, actual.*stats, name);
    if (!difference.empty()) return difference;
  }
  return {};
}

// Aggregates the month both ways and gives the first difference. The record aggregated
// the new way starts full of stale values, as one re-aggregated after a change does.
inline std::string aggregateBothWays(const MonthRecord& month, int32_t pulseConstant) {
  MonthRecord expected = month;
  reference::aggregateMonth(expected, pulseConstant);

  MonthRecord actual = month;
  const SlotValue stale{1, 77, -1.5, 2.5, 3.5, 1};
  const SlotStats staleStats{5, 4, stale, stale, stale, stale};
  for (DayRecord& day : actual.days) {
    day.slots.fill(stale);
    day.dayStats = staleStats;
  }
  actual.pulseStats = actual.demandStats = actual.energyStats = actual.temperatureStats = staleStats;
  pelnor::aggregateMonth(actual, pulseConstant);
  return firstDifference(expected, actual);
}

}  // namespace pelnor::test
