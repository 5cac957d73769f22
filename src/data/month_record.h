// One device's measurements of one calendar month: 31 days of half-hourly readings,
// and the values computed from them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data/date_time.h"
#include "data/device_record.h"

namespace pelnor {

struct Reading {
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t pulseCount = 0;
  double temperature = 0;

  // Readings of a day are kept sorted by this key, without duplicates.
  int32_t key() const { return hour * 100 + minute; }
  bool operator==(const Reading&) const = default;
};

struct SlotValue {
  int32_t valid = 0;
  int32_t pulses = 0;
  double demandKw = 0;
  double energyKwh = 0;
  double temperature = 0;
  // 0 when no reading of the slot holds a real temperature (a damaged file may hold NaN
  // or infinity): the temperature then stays out of every statistic.
  int32_t temperatureValid = 0;

  bool operator==(const SlotValue&) const = default;
};

struct SlotStats {
  int32_t count = 0;
  int32_t temperatureCount = 0;  // rows that brought a temperature
  SlotValue sum, max, min, avg;

  bool operator==(const SlotStats&) const = default;
};

constexpr int kSlotsPerDay = 48;
constexpr int kDaysPerMonth = 31;

struct DayRecord {
  DeviceRecord header;
  std::vector<Reading> readings;
  std::array<SlotValue, kSlotsPerDay> slots{};
  SlotStats dayStats;

  static DayRecord makeNew(const DeviceDefaults& defaults);
};

struct MonthRecord {
  DateTime month;  // the first of the month, 00:00
  std::array<DayRecord, kDaysPerMonth> days;
  SlotStats pulseStats, demandStats, energyStats, temperatureStats;
  ReportInfo report;

  static MonthRecord makeNew(const DateTime& month, const DeviceDefaults& defaults);
  // New empty days and cleared statistics; the month value and report stay.
  void clearDays(const DeviceDefaults& defaults);
};

// Inserts the reading at its sorted place, or replaces the one with the same key.
void addReading(DayRecord& day, const Reading& reading);

// Combines newly received readings (target) with a stored day: the new readings win
// over the whole span from their first to their last key.
void mergeDay(DayRecord& target, const DayRecord& stored);

}  // namespace pelnor
