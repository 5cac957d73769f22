// Turns the readings of loaded months into half-hour slots, daily and monthly
// statistics, demand [kW] and energy [kWh]. Nothing computed here is stored.
#pragma once

#include <cstdint>

#include "data/month_record.h"

namespace pelnor {

// A pulse constant of 0 or below gives no demand or energy (they stay 0).
inline bool hasPowerValues(int32_t pulseConstant) { return pulseConstant > 0; }

void aggregateDay(DayRecord& day, int32_t pulseConstant);
void aggregateMonth(MonthRecord& month, int32_t pulseConstant);

// Day index (0 = the 1st) of the largest / smallest daily maximum demand; the earliest
// day wins a tie; -1 for a month without data.
int highestDemandDay(const MonthRecord& month);
int lowestDemandDay(const MonthRecord& month);

// Replace day headers with the device's current record before a re-aggregation.
// dayNumber counts from 1.
void reapplyVctToDay(MonthRecord& month, int dayNumber, const DeviceRecord& device);
void reapplyVctToMonth(MonthRecord& month, const DeviceRecord& device);

}  // namespace pelnor
