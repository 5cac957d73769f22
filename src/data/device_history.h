// The loaded period: one device and the months of it that are in memory.
#pragma once

#include <functional>
#include <vector>

#include "data/data_location.h"
#include "data/device_registry.h"
#include "data/month_file.h"
#include "data/month_record.h"
#include "data/storage_context.h"

namespace pelnor {

// What the history's file operations work with.
struct HistoryEnv {
  const DeviceRegistry& registry;
  const DataLocation& location;
  const StorageContext& storage;
  int32_t pulseConstant;
};

// The first of the count months that end with the month of date (count - 1 before it).
DateTime firstOfPastMonths(const DateTime& date, int count);

class DeviceHistory {
 public:
  void clear() { months.clear(); }
  // Clears the months and takes the registry's record of the device (a new record
  // with ID -1 when it is not registered).
  void resetForDevice(int32_t deviceId, const DeviceRegistry& registry);

  int monthPosition(const DateTime& date) const;
  MonthRecord& monthAt(int position) { return months.at(static_cast<std::size_t>(position)); }
  const MonthRecord& monthAt(int position) const { return months.at(static_cast<std::size_t>(position)); }
  // The first day of the first month and the last day of the last; false when empty.
  bool firstAndLast(DateTime& first, DateTime& last) const;
  // The ratings stored with a day. A day never written (no device in its header, as all
  // days of an empty month) has the device's registered ones, not the defaults it was
  // made with.
  const DeviceRecord& ratingsOf(const DayRecord& day) const {
    return day.header.deviceId == DeviceRecord::kNoDevice ? device : day.header;
  }
  int findOrInsertMonth(const DateTime& date, const DeviceDefaults& defaults, bool* inserted = nullptr);
  // Reads the month's file under the current root into its (new or present) record.
  bool loadMonth(const DateTime& date, const HistoryEnv& env, int* position = nullptr,
                 MonthReadOutcome* outcome = nullptr);
  // Stores one received reading; the day (and a new month's days) take `device` as header.
  void addReading(const DateTime& when, int32_t pulseCount, double temperature,
                  const DeviceDefaults& defaults);
  void aggregateAll(int32_t pulseConstant);
  // How many readings the months hold.
  std::size_t readingCount() const;
  // Writes every month, stopping at the first failure.
  bool saveAll(bool onlyIfExists, const HistoryEnv& env) const;
  // Merges the months with the stored files (the new readings win over their span, a
  // stored report entry stays unless this month's was entered), aggregates, saves, and
  // fills the gaps between the first and the last month in memory. A stored month that
  // could not be read to its end is merged as far as it was read, and kept beside
  // under another name before it is replaced, as is one with bytes after its last day;
  // one that could not be opened at all (or is a link, see owned_file.h)
  // stops the save before anything is written. The device's lock is held from the first
  // read to the last write, so another program's save cannot fall in between. False when
  // not all was saved: unsaved (when given) then lists the months not stored, and those
  // months hold again what their files hold.
  bool mergeAndSave(bool onlyIfExists, const HistoryEnv& env, std::vector<DateTime>* unsaved = nullptr);
  // Changes one stored month: under the device's lock the month is read from its file
  // (a month that cannot be read to its end, or has bytes after its last day, is kept
  // beside first), changed, aggregated
  // and written back when its file exists. Afterwards the month in memory is what the
  // file holds: changed on success, as it was stored on failure. False (reported) when
  // it could not be stored.
  bool changeStoredMonth(const DateTime& month, const HistoryEnv& env,
                         const std::function<void(MonthRecord&)>& change);

  // The past-data display: the chosen month and the count - 1 months before it.
  void loadPastMonths(int32_t deviceId, const DateTime& month, int count, const HistoryEnv& env);
  // The same months one at a time, oldest first: each is read, aggregated, handed to visit
  // as the only month of this history and released, so that one month is held at a time.
  void visitPastMonths(int32_t deviceId, const DateTime& month, int count, const HistoryEnv& env,
                       const std::function<void(const MonthRecord&)>& visit);

  DeviceRecord device;
  std::vector<MonthRecord> months;  // ascending by month, one record per month

 private:
  // Keeps a copy of a stored month that could not be read to its end; false (reported)
  // when none could be made.
  bool keepDamagedMonth(const DateTime& month, const HistoryEnv& env) const;
  // Writes the months from the first on, stopping at the first failure; returns how
  // many were written.
  std::size_t saveFrom(bool onlyIfExists, const HistoryEnv& env) const;
  // Reads the months from firstUnsaved on again from their files, adding them to unsaved.
  void reloadUnsaved(std::size_t firstUnsaved, const HistoryEnv& env, std::vector<DateTime>* unsaved);
};

}  // namespace pelnor
