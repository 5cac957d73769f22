#include "data/aggregation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pelnor {

namespace {

// Stored files may hold any pulse count; sums saturate instead of overflowing.
int32_t addPulses(int32_t a, int32_t b) {
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

bool inDay(const Reading& r) { return r.hour >= 0 && r.hour <= 23 && r.minute >= 0 && r.minute <= 59; }

}  // namespace

void takeIn(SlotStats& stats, const SlotValue& row) {
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

void finish(SlotStats& stats) {
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

void aggregateDay(DayRecord& day, int32_t pulseConstant) {
  day.slots.fill(SlotValue{});
  day.dayStats = SlotStats{};

  for (const Reading& r : day.readings) {
    if (!inDay(r)) continue;  // kept on file, but outside the 48 slots
    SlotValue& slot = day.slots[static_cast<std::size_t>(r.hour * 2 + (r.minute >= 30 ? 1 : 0))];
    slot.pulses = slot.valid == 0 ? r.pulseCount : addPulses(slot.pulses, r.pulseCount);
    slot.valid = 1;
    if (!std::isfinite(r.temperature)) continue;
    if (slot.temperatureValid == 0 || r.temperature > slot.temperature) slot.temperature = r.temperature;
    slot.temperatureValid = 1;
  }

  // Energy per pulse, formed first as a real number.
  const double kwhPerPulse =
      hasPowerValues(pulseConstant) ? static_cast<double>(day.header.multiplier) / pulseConstant : 0.0;
  for (SlotValue& slot : day.slots) {
    if (slot.valid == 0) continue;
    slot.energyKwh = kwhPerPulse * slot.pulses;
    slot.demandKw = kwhPerPulse * slot.pulses * 2;  // a half hour's energy as an hourly rate
    takeIn(day.dayStats, slot);
  }
  finish(day.dayStats);
}

void aggregateMonth(MonthRecord& month, int32_t pulseConstant) {
  month.pulseStats = month.demandStats = month.energyStats = month.temperatureStats = SlotStats{};
  for (DayRecord& day : month.days) {
    aggregateDay(day, pulseConstant);
    const SlotStats& s = day.dayStats;
    if (s.sum.valid) takeIn(month.pulseStats, s.sum);
    if (s.max.valid) takeIn(month.demandStats, s.max);
    if (s.sum.valid) takeIn(month.energyStats, s.sum);
    if (s.max.valid) takeIn(month.temperatureStats, s.max);
  }
  finish(month.pulseStats);
  finish(month.demandStats);
  finish(month.energyStats);
  finish(month.temperatureStats);
}

namespace {

template <typename Better>
int pickDemandDay(const MonthRecord& month, Better better) {
  int chosen = -1;
  for (int d = 0; d < kDaysPerMonth; ++d) {
    const SlotValue& max = month.days[static_cast<std::size_t>(d)].dayStats.max;
    if (!max.valid) continue;
    if (chosen < 0 ||
        better(max.demandKw, month.days[static_cast<std::size_t>(chosen)].dayStats.max.demandKw)) {
      chosen = d;
    }
  }
  return chosen;
}

}  // namespace

int highestDemandDay(const MonthRecord& month) {
  return pickDemandDay(month, [](double candidate, double best) { return candidate > best; });
}

int lowestDemandDay(const MonthRecord& month) {
  return pickDemandDay(month, [](double candidate, double best) { return candidate < best; });
}

void reapplyVctToDay(MonthRecord& month, int dayNumber, const DeviceRecord& device) {
  if (dayNumber < 1 || dayNumber > kDaysPerMonth) return;
  month.days[static_cast<std::size_t>(dayNumber - 1)].header = device;
}

void reapplyVctToMonth(MonthRecord& month, const DeviceRecord& device) {
  for (DayRecord& day : month.days) day.header = device;
}

}  // namespace pelnor
