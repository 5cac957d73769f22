#include "data/month_record.h"

#include <algorithm>

namespace pelnor {

DayRecord DayRecord::makeNew(const DeviceDefaults& defaults) {
  DayRecord day;
  day.header = DeviceRecord::makeNew(defaults);
  return day;
}

MonthRecord MonthRecord::makeNew(const DateTime& month, const DeviceDefaults& defaults) {
  MonthRecord record;
  record.month = month;
  record.clearDays(defaults);
  return record;
}

void MonthRecord::clearDays(const DeviceDefaults& defaults) {
  // In place: a month read into the same record keeps the readings' storage.
  const DeviceRecord header = DeviceRecord::makeNew(defaults);
  for (DayRecord& day : days) {
    day.header = header;
    day.readings.clear();
    day.slots.fill(SlotValue{});
    day.dayStats = SlotStats{};
  }
  pulseStats = demandStats = energyStats = temperatureStats = SlotStats{};
}

void addReading(DayRecord& day, const Reading& reading) {
  auto it = std::lower_bound(day.readings.begin(), day.readings.end(), reading.key(),
                             [](const Reading& r, int32_t key) { return r.key() < key; });
  if (it != day.readings.end() && it->key() == reading.key()) {
    *it = reading;
  } else {
    day.readings.insert(it, reading);
  }
}

void mergeDay(DayRecord& target, const DayRecord& stored) {
  if (target.readings.empty()) {
    if (stored.readings.empty()) return;
    target.header = stored.header;
    for (const Reading& r : stored.readings) addReading(target, r);
    return;
  }
  const int32_t first = target.readings.front().key();
  const int32_t last = target.readings.back().key();
  for (const Reading& r : stored.readings) {
    if (r.key() < first || r.key() > last) addReading(target, r);
  }
}

}  // namespace pelnor
