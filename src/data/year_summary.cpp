#include "data/year_summary.h"

#include <cmath>

#include "data/aggregation.h"
#include "data/text.h"

namespace pelnor {

namespace {

// The first slot of the day that holds the day's highest demand.
int peakSlot(const DayRecord& day) {
  for (int k = 0; k < kSlotsPerDay; ++k) {
    const SlotValue& slot = day.slots[static_cast<std::size_t>(k)];
    if (slot.valid && slot.demandKw == day.dayStats.max.demandKw) return k;
  }
  return 0;
}

void findYearPeak(YearSummary& year) {
  year.peakMonth = -1;
  for (int i = 0; i < kMonthsPerYear; ++i) {
    const MonthSummary& m = year.months[static_cast<std::size_t>(i)];
    if (!m.hasDemand) continue;
    if (year.peakMonth < 0 || m.peakKw > year.months[static_cast<std::size_t>(year.peakMonth)].peakKw)
      year.peakMonth = i;
  }
}

}  // namespace

MonthSummary summarizeMonth(const MonthRecord& month) {
  MonthSummary s;
  s.month = month.month.firstOfMonth();
  const int highest = highestDemandDay(month);
  if (highest < 0) return s;
  const DayRecord& day = month.days[static_cast<std::size_t>(highest)];
  const CalendarFields f = s.month.fields();
  const int slot = peakSlot(day);
  s.hasDemand = true;
  s.peakKw = day.dayStats.max.demandKw;
  s.peakTime = DateTime::fromFields(f.year, f.month, highest + 1, slot / 2, slot % 2 * 30);
  s.lowestDailyMaxKw = month.days[static_cast<std::size_t>(lowestDemandDay(month))].dayStats.max.demandKw;
  s.energyKwh = month.energyStats.sum.energyKwh;
  s.hasTemperature = month.temperatureStats.max.temperatureValid != 0;
  s.maxTemperature = month.temperatureStats.max.temperature;
  return s;
}

YearSummary summarizeYear(const DeviceHistory& history, const DateTime& lastMonth, const HistoryEnv& env) {
  // Months not in memory are read quietly: a damaged or held file shows as far as it
  // could be read, and paging through a year must not raise a message at every step. A
  // wait for a held file is still shown, and may be ended.
  QuietReporter silent(env.storage.reporter);
  const StorageContext quiet{silent, env.storage.defaults, env.storage.retry, false, env.storage.abandon, {}};
  YearSummary year;
  ReportInfo chosenReport;
  DateTime m = firstOfPastMonths(lastMonth, kMonthsPerYear);
  for (MonthSummary& summary : year.months) {
    const int position = history.monthPosition(m);
    if (position >= 0) {
      summary = summarizeMonth(history.monthAt(position));
      chosenReport = history.monthAt(position).report;
    } else {
      MonthRecord stored = MonthRecord::makeNew(m, env.storage.defaults);
      readMonthFile(env.location.monthFile(history.device.deviceId, m), stored, quiet);
      stored.month = m;  // the month a file is named after, whatever it holds
      aggregateMonth(stored, env.pulseConstant);
      summary = summarizeMonth(stored);
      chosenReport = stored.report;
    }
    m = m.addDays(daysInMonth(m.year(), m.month()));
  }
  findYearPeak(year);
  DeviceRecord registered;
  env.registry.find(history.device.deviceId, registered);
  year.contractKw = contractDemandKw(chosenReport, registered);
  return year;
}

namespace {

void takeIn(YearColumn& column, double value) {
  if (!column.valid || value > column.max) column.max = value;
  if (!column.valid || value < column.min) column.min = value;
  column.sum += value;
  column.valid = true;
}

}  // namespace

YearTotals yearTotals(const YearSummary& year) {
  YearTotals t;
  int months = 0, temperatures = 0;
  for (const MonthSummary& m : year.months) {
    if (!m.hasDemand) continue;
    ++months;
    takeIn(t.peak, m.peakKw);
    takeIn(t.lowestDailyMax, m.lowestDailyMaxKw);
    takeIn(t.energy, m.energyKwh);
    if (m.hasTemperature) {
      ++temperatures;
      takeIn(t.temperature, m.maxTemperature);
    }
  }
  for (YearColumn* c : {&t.peak, &t.lowestDailyMax, &t.energy}) {
    if (c->valid) c->avg = c->sum / months;
  }
  if (t.temperature.valid) t.temperature.avg = t.temperature.sum / temperatures;
  return t;
}

std::string yearPeriodText(const DateTime& lastMonth) {
  const CalendarFields first = firstOfPastMonths(lastMonth, kMonthsPerYear).fields();
  const CalendarFields last = lastMonth.fields();
  return formatText("%d年%d月～%d年%d月", first.year, first.month, last.year, last.month);
}

std::string peakTimeText(const MonthSummary& month) {
  const CalendarFields f = month.peakTime.fields();
  return formatText("%02d/%02d %02d:%02d", f.month, f.day, f.hour, f.minute);
}

std::string monthRemark(const YearSummary& year, int index) {
  const MonthSummary& m = year.months.at(static_cast<std::size_t>(index));
  std::string remark = index == year.peakMonth ? "年最大" : "";
  if (year.overContract(m)) remark += remark.empty() ? "契約超過" : "・契約超過";
  return remark;
}

std::optional<double> yearPeakKw(const YearSummary& year) {
  if (year.peakMonth < 0) return std::nullopt;
  // Rounded as "%.0lf" rounds, so the figure is the one the tables show.
  return std::nearbyint(year.months[static_cast<std::size_t>(year.peakMonth)].peakKw);
}

double contractDemandKw(const ReportInfo& chosenMonth, const DeviceRecord& registered) {
  const ReportInfo* entered = nullptr;
  if (chosenMonth.entered != 0) {
    entered = &chosenMonth;
  } else if (registered.report.entered != 0) {
    entered = &registered.report;
  }
  // A stored file may hold anything: only a real positive demand is a contract.
  if (!entered || !std::isfinite(entered->demandKw) || entered->demandKw <= 0) return 0;
  return entered->demandKw;
}

}  // namespace pelnor
