#include "data/aggregation.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

namespace pelnor {

namespace {

// Stored files may hold any pulse count; sums saturate instead of overflowing.
int32_t addPulses(int32_t a, int32_t b) {
  int32_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return a < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
}

template <typename T>
void keepLarger(T& stored, T value) {
  if (stored < value) stored = value;
}

template <typename T>
void keepSmaller(T& stored, T value) {
  if (value < stored) stored = value;
}

bool inDay(const Reading& r) { return r.hour >= 0 && r.hour <= 23 && r.minute >= 0 && r.minute <= 59; }

std::size_t slotIndex(const Reading& r) {
  return static_cast<std::size_t>(r.hour * 2 + (r.minute >= 30 ? 1 : 0));
}

// Statistics take in rows in order (the slots of a day, slot 0 first; the days of a month),
// then are finished. Inline, like the slot helpers below: a day's statistics then stay in
// registers through its pass.
inline void takeIn(SlotStats& stats, const SlotValue& row) {
  SlotValue& sum = stats.sum;
  SlotValue& max = stats.max;
  SlotValue& min = stats.min;
  sum.pulses = addPulses(sum.pulses, row.pulses);
  sum.demandKw += row.demandKw;
  sum.energyKwh += row.energyKwh;
  if (stats.count == 0) {  // the first row sets the extremes
    max.pulses = min.pulses = row.pulses;
    max.demandKw = min.demandKw = row.demandKw;
    max.energyKwh = min.energyKwh = row.energyKwh;
  } else {
    keepLarger(max.pulses, row.pulses);
    keepLarger(max.demandKw, row.demandKw);
    keepLarger(max.energyKwh, row.energyKwh);
    keepSmaller(min.pulses, row.pulses);
    keepSmaller(min.demandKw, row.demandKw);
    keepSmaller(min.energyKwh, row.energyKwh);
  }
  stats.count += 1;

  if (row.temperatureValid == 0) return;
  sum.temperature += row.temperature;
  if (stats.temperatureCount == 0) {
    max.temperature = min.temperature = row.temperature;
  } else {
    keepLarger(max.temperature, row.temperature);
    keepSmaller(min.temperature, row.temperature);
  }
  stats.temperatureCount += 1;
}

// The valid flags and the averages.
inline void finish(SlotStats& stats) {
  if (stats.count <= 0) return;
  stats.sum.valid = stats.max.valid = stats.min.valid = stats.avg.valid = 1;
  const double reciprocal = 1.0 / stats.count;
  stats.avg.pulses = stats.sum.pulses / stats.count;
  stats.avg.demandKw = reciprocal * stats.sum.demandKw;
  stats.avg.energyKwh = reciprocal * stats.sum.energyKwh;
  if (stats.temperatureCount <= 0) return;
  stats.sum.temperatureValid = stats.max.temperatureValid = stats.min.temperatureValid = 1;
  stats.avg.temperatureValid = 1;
  stats.avg.temperature = (1.0 / stats.temperatureCount) * stats.sum.temperature;
}

// A reading of the slot: pulses add, the temperature is the highest real one.
inline void addToSlot(SlotValue& slot, const Reading& r) {
  slot.pulses = slot.valid == 0 ? r.pulseCount : addPulses(slot.pulses, r.pulseCount);
  slot.valid = 1;
  if (!std::isfinite(r.temperature)) return;
  if (slot.temperatureValid == 0 || r.temperature > slot.temperature) slot.temperature = r.temperature;
  slot.temperatureValid = 1;
}

// Demand and energy of a slot whose readings are all in, and its share of the statistics.
inline void closeSlot(SlotValue& slot, double kwhPerPulse, SlotStats& stats) {
  if (slot.valid == 0) return;
  slot.energyKwh = kwhPerPulse * slot.pulses;
  slot.demandKw = kwhPerPulse * slot.pulses * 2;  // a half hour's energy as an hourly rate
  takeIn(stats, slot);
}

// One pass over readings that come in slot order, as a sorted day's do: a slot is closed
// and written when the first reading of a later one arrives, so the statistics take the
// slots in order. Returns false at the first reading whose slot lies before the one being
// formed, with the day half written.
bool aggregateInSlotOrder(const std::vector<Reading>& readings, double kwhPerPulse, DayRecord& day) {
  SlotStats stats;        // a local, not day.dayStats: the slots written meanwhile cannot touch it
  SlotValue slot;         // the slot being formed
  std::size_t index = 0;  // its place; the slots before it are written
  for (const Reading& r : readings) {
    if (!inDay(r)) continue;  // kept on file, but outside the 48 slots
    const std::size_t place = slotIndex(r);
    if (place == index) {
      addToSlot(slot, r);
      continue;
    }
    if (place < index) return false;
    closeSlot(slot, kwhPerPulse, stats);
    day.slots[index] = slot;
    while (++index < place) day.slots[index] = SlotValue{};
    slot = SlotValue{};
    addToSlot(slot, r);  // apart from the call above, so that it is compiled for an empty slot
  }
  closeSlot(slot, kwhPerPulse, stats);
  day.slots[index] = slot;
  while (++index < day.slots.size()) day.slots[index] = SlotValue{};
  finish(stats);
  day.dayStats = stats;
  return true;
}

// Statistics over one row (sum or max) of every day with readings, the 1st first.
SlotStats statisticsOfDays(const MonthRecord& month, SlotValue SlotStats::*row) {
  SlotStats stats;
  for (const DayRecord& day : month.days) {
    const SlotValue& value = day.dayStats.*row;
    if (value.valid != 0) takeIn(stats, value);
  }
  finish(stats);
  return stats;
}

}  // namespace

void aggregateDay(DayRecord& day, int32_t pulseConstant) {
  // Energy per pulse, formed first as a real number.
  const double kwhPerPulse =
      hasPowerValues(pulseConstant) ? static_cast<double>(day.header.multiplier) / pulseConstant : 0.0;
  if (aggregateInSlotOrder(day.readings, kwhPerPulse, day)) return;

  // A damaged file's day: its readings of the day put in slot order first. The sort is
  // stable, so the readings of one slot are still taken in their stored order.
  std::vector<Reading> inOrder;
  std::copy_if(day.readings.begin(), day.readings.end(), std::back_inserter(inOrder), inDay);
  std::stable_sort(inOrder.begin(), inOrder.end(),
                   [](const Reading& a, const Reading& b) { return slotIndex(a) < slotIndex(b); });
  aggregateInSlotOrder(inOrder, kwhPerPulse, day);
}

void aggregateMonth(MonthRecord& month, int32_t pulseConstant) {
  for (DayRecord& day : month.days) aggregateDay(day, pulseConstant);
  month.pulseStats = statisticsOfDays(month, &SlotStats::sum);
  month.demandStats = statisticsOfDays(month, &SlotStats::max);
  // Energy is taken from the same rows as the pulses, temperature from the same as demand.
  month.energyStats = month.pulseStats;
  month.temperatureStats = month.demandStats;
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
