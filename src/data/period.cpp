#include "data/period.h"

#include "data/text.h"

namespace pelnor {

DateTime periodStart(Period period, const DateTime& date) {
  return chosenByMonth(period) ? date.firstOfMonth() : date.dateOnly();
}

DateTime nextPeriodStart(Period period, const DateTime& start) {
  return chosenByMonth(period) ? start.addDays(daysInMonth(start.year(), start.month())) : start.addDays(1);
}

std::string monthText(Period period, const DateTime& date) {
  CalendarFields f = date.fields();
  if (chosenByMonth(period)) return formatText("%4d年%2d月", f.year, f.month);
  return formatText("%4d年%2d月%2d日", f.year, f.month, f.day);
}

const char* periodName(Period period) {
  switch (period) {
    case Period::Day:
      return "日別";
    case Period::Month:
      return "月別";
    case Period::Year:
      return "年別";
  }
  return "";
}

}  // namespace pelnor
