#include "data/device_history.h"

#include <algorithm>

#include "data/aggregation.h"
#include "data/month_file.h"

namespace pelnor {

void DeviceHistory::resetForDevice(int32_t deviceId, const DeviceRegistry& registry) {
  clear();
  registry.find(deviceId, device);
}

int DeviceHistory::monthPosition(const DateTime& date) const {
  const DateTime first = date.firstOfMonth();
  auto it = std::lower_bound(months.begin(), months.end(), first,
                             [](const MonthRecord& m, const DateTime& d) { return m.month < d; });
  if (it == months.end() || !(it->month == first)) return -1;
  return static_cast<int>(it - months.begin());
}

bool DeviceHistory::firstAndLast(DateTime& first, DateTime& last) const {
  if (months.empty()) return false;
  first = months.front().month.dateOnly();
  DateTime lastMonth = months.back().month;
  last = DateTime::fromFields(lastMonth.year(), lastMonth.month(),
                              daysInMonth(lastMonth.year(), lastMonth.month()));
  return true;
}

int DeviceHistory::findOrInsertMonth(const DateTime& date, const DeviceDefaults& defaults, bool* inserted) {
  const DateTime first = date.firstOfMonth();
  auto it = std::lower_bound(months.begin(), months.end(), first,
                             [](const MonthRecord& m, const DateTime& d) { return m.month < d; });
  bool isNew = it == months.end() || !(it->month == first);
  if (isNew) it = months.insert(it, MonthRecord::makeNew(first, defaults));
  if (inserted) *inserted = isNew;
  return static_cast<int>(it - months.begin());
}

bool DeviceHistory::loadMonth(const DateTime& date, const HistoryEnv& env, int* position) {
  int at = findOrInsertMonth(date, env.storage.defaults);
  if (position) *position = at;
  MonthRecord& month = monthAt(at);
  const DateTime filedUnder = month.month;
  bool ok = readMonthFile(env.location.monthFile(device.deviceId, date), month, env.storage);
  // The month a file is named after stays its key, whatever month value it holds:
  // the sorted list must not be broken by a file copied under another name.
  month.month = filedUnder;
  return ok;
}

void DeviceHistory::addReading(const DateTime& when, int32_t pulseCount, double temperature,
                               const DeviceDefaults& defaults) {
  if (!when.isValid()) return;  // a reading belongs to a real day
  bool inserted = false;
  MonthRecord& month = monthAt(findOrInsertMonth(when, defaults, &inserted));
  if (inserted) {
    for (DayRecord& day : month.days) day.header = device;
  }
  CalendarFields f = when.fields();
  DayRecord& day = month.days[static_cast<std::size_t>(f.day - 1)];
  day.header = device;
  pelnor::addReading(day, Reading{f.hour, f.minute, pulseCount, temperature});
}

void DeviceHistory::aggregateAll(int32_t pulseConstant) {
  for (MonthRecord& month : months) aggregateMonth(month, pulseConstant);
}

bool DeviceHistory::saveAll(bool onlyIfExists, const HistoryEnv& env) const {
  DataLocation::createFolderPath(env.location.deviceFolder(device.deviceId));
  for (const MonthRecord& month : months) {
    if (!writeMonthFile(env.location.monthFile(device.deviceId, month.month), month, onlyIfExists,
                        env.storage)) {
      return false;
    }
  }
  return true;
}

void DeviceHistory::mergeAndSave(bool onlyIfExists, const HistoryEnv& env) {
  DeviceHistory stored;
  stored.resetForDevice(device.deviceId, env.registry);
  for (MonthRecord& month : months) {
    int position = -1;
    if (!stored.loadMonth(month.month, env, &position)) continue;
    const MonthRecord& storedMonth = stored.monthAt(position);
    for (std::size_t d = 0; d < month.days.size(); ++d) mergeDay(month.days[d], storedMonth.days[d]);
  }
  aggregateAll(env.pulseConstant);
  saveAll(onlyIfExists, env);

  DateTime first, last;
  if (!firstAndLast(first, last)) return;
  for (DateTime m = first; m < last; m = m.addDays(daysInMonth(m.year(), m.month()))) {
    findOrInsertMonth(m, env.storage.defaults);
  }
}

void DeviceHistory::loadPastMonths(int32_t deviceId, const DateTime& month, int count,
                                   const HistoryEnv& env) {
  resetForDevice(deviceId, env.registry);
  // The same months as stepping back from the chosen one, but loaded oldest first so
  // that each month is appended instead of moving all the others.
  DateTime d = month.firstOfMonth();
  for (int i = 1; i < count; ++i) d = d.addDays(-1).firstOfMonth();
  months.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    loadMonth(d, env);
    d = d.addDays(daysInMonth(d.year(), d.month()));
  }
  aggregateAll(env.pulseConstant);
}

}  // namespace pelnor
