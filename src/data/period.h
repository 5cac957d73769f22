// The periods the program shows, prints and exports: a day, a month, or the year of twelve
// months that ends with a month; and how a period is written in the date selectors.
#pragma once

#include <string>

#include "data/date_time.h"

namespace pelnor {

// The numbers are those the original program used for the three kinds.
enum class Period { Day = 1, Month = 2, Year = 3 };

// Months and years are chosen by their (last) month, days by their day.
constexpr bool chosenByMonth(Period period) { return period != Period::Day; }

// The first moment of the period of its kind that holds date: the day, or the first of
// the month (a year is chosen by its last month).
DateTime periodStart(Period period, const DateTime& date);
// The start of the period after the one that starts at start.
DateTime nextPeriodStart(Period period, const DateTime& start);

// "%4d年%2d月" for a month or a year (by its last month), "%4d年%2d月%2d日" for a day.
std::string monthText(Period period, const DateTime& date);

// "日別", "月別", "年別".
const char* periodName(Period period);

}  // namespace pelnor
