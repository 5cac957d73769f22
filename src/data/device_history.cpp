#include "data/device_history.h"

#include <algorithm>

#include "data/aggregation.h"
#include "data/data_locks.h"
#include "data/month_file.h"
#include "data/save_leftovers.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr const char* kDamagedCopyFailed = "壊れた月データの控えを作れないため、保存を中止しました";
constexpr const char* kDamagedCopyKept = "壊れた月データの控えを保存しました:";

}  // namespace

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
  if (isNew) {
    // Made in its place: a month record is large, and a copy of a new one costs as much.
    it = months.emplace(it);
    it->month = first;
    it->clearDays(defaults);
  }
  if (inserted) *inserted = isNew;
  return static_cast<int>(it - months.begin());
}

bool DeviceHistory::loadMonth(const DateTime& date, const HistoryEnv& env, int* position,
                              MonthReadOutcome* outcome) {
  int at = findOrInsertMonth(date, env.storage.defaults);
  if (position) *position = at;
  MonthRecord& month = monthAt(at);
  const DateTime filedUnder = month.month;
  bool ok =
      readMonthFile(env.location.monthFile(device.deviceId, date), month, env.storage, nullptr, outcome);
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

std::size_t DeviceHistory::readingCount() const {
  std::size_t count = 0;
  for (const MonthRecord& month : months) {
    for (const DayRecord& day : month.days) count += day.readings.size();
  }
  return count;
}

std::size_t DeviceHistory::saveFrom(bool onlyIfExists, const HistoryEnv& env) const {
  DataLocation::createFolderPath(env.location.deviceFolder(device.deviceId));
  std::size_t written = 0;
  for (const MonthRecord& month : months) {
    if (!writeMonthFile(env.location.monthFile(device.deviceId, month.month), month, onlyIfExists,
                        env.storage)) {
      break;
    }
    ++written;
  }
  return written;
}

bool DeviceHistory::saveAll(bool onlyIfExists, const HistoryEnv& env) const {
  return saveFrom(onlyIfExists, env) == months.size();
}

bool DeviceHistory::mergeAndSave(bool onlyIfExists, const HistoryEnv& env, std::vector<DateTime>* unsaved) {
  const std::filesystem::path folder = env.location.deviceFolder(device.deviceId);
  FileLock lock;
  bool canSave = lockDeviceFolder(lock, folder, !onlyIfExists, env.storage);
  if (canSave) removeSaveLeftovers(folder);  // no other save of this device is under way

  DeviceHistory stored;
  stored.resetForDevice(device.deviceId, env.registry);
  for (MonthRecord& month : months) {
    if (!canSave) break;
    int position = -1;
    MonthReadOutcome outcome = MonthReadOutcome::Missing;
    stored.loadMonth(month.month, env, &position, &outcome);
    if (outcome == MonthReadOutcome::NotOpened) {
      canSave = false;  // what the file holds is unknown: it must not be replaced
      break;
    }
    if (keepsDamagedCopy(outcome) && !keepDamagedMonth(month.month, env)) {
      canSave = false;
      break;
    }
    if (outcome == MonthReadOutcome::Missing) continue;
    const MonthRecord& storedMonth = stored.monthAt(position);
    for (std::size_t d = 0; d < month.days.size(); ++d) mergeDay(month.days[d], storedMonth.days[d]);
    // A reception never enters a report: the stored entry stays.
    if (!month.report.entered) month.report = storedMonth.report;
  }
  aggregateAll(env.pulseConstant);
  const std::size_t written = canSave ? saveFrom(onlyIfExists, env) : 0;
  // Counted before the gaps are filled: an empty month between two received ones is
  // shown, never saved.
  const bool allSaved = written == months.size();
  if (!allSaved) reloadUnsaved(written, env, unsaved);
  lock.release();

  DateTime first, last;
  if (firstAndLast(first, last)) {
    for (DateTime m = first; m < last; m = m.addDays(daysInMonth(m.year(), m.month()))) {
      findOrInsertMonth(m, env.storage.defaults);
    }
  }
  return allSaved;
}

void DeviceHistory::reloadUnsaved(std::size_t firstUnsaved, const HistoryEnv& env,
                                  std::vector<DateTime>* unsaved) {
  // The failures were reported already: these reads say nothing and wait for nothing.
  SilentReporter silent;
  StorageContext quiet{silent, env.storage.defaults, env.storage.retry, false, nullptr, {}};
  quiet.retry.monthFileLimitMs = 0;
  const HistoryEnv quietEnv{env.registry, env.location, quiet, env.pulseConstant};
  for (std::size_t i = firstUnsaved; i < months.size(); ++i) {
    if (unsaved) unsaved->push_back(months[i].month);
    loadMonth(months[i].month, quietEnv);
    aggregateMonth(months[i], env.pulseConstant);
  }
}

bool DeviceHistory::changeStoredMonth(const DateTime& date, const HistoryEnv& env,
                                      const std::function<void(MonthRecord&)>& change) {
  const std::filesystem::path folder = env.location.deviceFolder(device.deviceId);
  FileLock lock;
  if (!lockDeviceFolder(lock, folder, false, env.storage)) return false;
  removeSaveLeftovers(folder);  // no other save of this device is under way
  DeviceHistory stored;
  stored.device = device;
  int position = -1;
  MonthReadOutcome outcome = MonthReadOutcome::Missing;
  stored.loadMonth(date, env, &position, &outcome);
  if (outcome == MonthReadOutcome::NotOpened) return false;  // reported; the month stays as shown
  MonthRecord& month = stored.monthAt(position);
  aggregateMonth(month, env.pulseConstant);
  MonthRecord& shown = monthAt(findOrInsertMonth(date, env.storage.defaults));
  if (keepsDamagedCopy(outcome) && !keepDamagedMonth(date, env)) {
    shown = std::move(month);
    return false;
  }
  MonthRecord changed = month;
  change(changed);
  aggregateMonth(changed, env.pulseConstant);
  const bool saved =
      writeMonthFile(env.location.monthFile(device.deviceId, date), changed, true, env.storage);
  shown = std::move(saved ? changed : month);
  return saved;
}

bool DeviceHistory::keepDamagedMonth(const DateTime& month, const HistoryEnv& env) const {
  const std::filesystem::path file = env.location.monthFile(device.deviceId, month);
  const std::filesystem::path copy = keepDamagedCopy(file);
  if (copy.empty()) {
    env.storage.reporter.info(formatText("%s\n%s", kDamagedCopyFailed, pathText(file).c_str()));
    return false;
  }
  if (env.storage.log)
    env.storage.log(
        formatText("%s %s -> %s", kDamagedCopyKept, pathText(file).c_str(), pathText(copy).c_str()));
  return true;
}

DateTime firstOfPastMonths(const DateTime& date, int count) {
  DateTime first = date.firstOfMonth();
  for (int i = 1; i < count; ++i) first = first.addDays(-1).firstOfMonth();
  return first;
}

void DeviceHistory::loadPastMonths(int32_t deviceId, const DateTime& month, int count,
                                   const HistoryEnv& env) {
  resetForDevice(deviceId, env.registry);
  // The same months as stepping back from the chosen one, but loaded oldest first so
  // that each month is appended instead of moving all the others.
  DateTime d = firstOfPastMonths(month, count);
  months.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    loadMonth(d, env);
    d = d.addDays(daysInMonth(d.year(), d.month()));
  }
  aggregateAll(env.pulseConstant);
}

void DeviceHistory::visitPastMonths(int32_t deviceId, const DateTime& month, int count, const HistoryEnv& env,
                                    const std::function<void(const MonthRecord&)>& visit) {
  resetForDevice(deviceId, env.registry);
  DateTime d = firstOfPastMonths(month, count);
  for (int i = 0; i < count; ++i) {
    months.clear();
    loadMonth(d, env);
    aggregateMonth(months.front(), env.pulseConstant);
    visit(months.front());
    d = d.addDays(daysInMonth(d.year(), d.month()));
  }
  months.clear();
}

}  // namespace pelnor
