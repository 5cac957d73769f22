// Twelve months at a glance: each month of a year by its highest half-hour demand, its
// energy and its highest temperature. What the year view shows, and where a report's
// 12-month maximum comes from.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "data/device_history.h"

namespace pelnor {

constexpr int kMonthsPerYear = 12;

struct MonthSummary {
  DateTime month;            // the first of the month
  bool hasDemand = false;    // a day of the month holds readings
  double peakKw = 0;         // the highest 30-minute demand
  DateTime peakTime;         // the half hour it happened, as the day table labels it
  double lowestDailyMaxKw = 0;
  double energyKwh = 0;
  bool hasTemperature = false;
  double maxTemperature = 0;
};

struct YearSummary {
  std::array<MonthSummary, kMonthsPerYear> months{};  // oldest first; the last is the chosen month
  int peakMonth = -1;                                  // the year's highest peak; the earliest wins a tie
  double contractKw = 0;                               // the contract demand, 0 when none is entered

  const MonthSummary& last() const { return months.back(); }
  bool overContract(const MonthSummary& m) const { return contractKw > 0 && m.hasDemand && m.peakKw > contractKw; }
};

// The figures of one aggregated month.
MonthSummary summarizeMonth(const MonthRecord& month);

// The rows below the months, each column over the months that hold readings (temperature:
// over those that hold one); sums are taken oldest month first.
struct YearColumn {
  bool valid = false;
  double max = 0, min = 0, sum = 0, avg = 0;
};
struct YearTotals {
  YearColumn peak, lowestDailyMax, energy, temperature;
};
YearTotals yearTotals(const YearSummary& year);

// "2023年5月〜2024年4月": the twelve months that end with the month of lastMonth.
std::string yearPeriodText(const DateTime& lastMonth);
// "MM/DD HH:MM" of the month's peak half hour.
std::string peakTimeText(const MonthSummary& month);
// What marks a month: "年最大" for the year's highest, "契約超過" when its peak exceeds the
// contract demand, both joined by "・"; empty otherwise.
std::string monthRemark(const YearSummary& year, int index);

// The twelve months that end with the month of lastMonth, with the contract demand. Months
// in memory are taken as they are; the others are read from their files and aggregated,
// one at a time, without a word to the user (a month without a file, or one that cannot
// be read, is empty). The history itself is not changed.
YearSummary summarizeYear(const DeviceHistory& history, const DateTime& lastMonth, const HistoryEnv& env);

// The highest demand of the year as the tables show it (a whole number of kW), or nothing
// when no month of it holds readings.
std::optional<double> yearPeakKw(const YearSummary& year);

// The contract demand a report entry holds for the device: the chosen month's entered
// report, else the device's last entered one; 0 when neither holds one.
double contractDemandKw(const ReportInfo& chosenMonth, const DeviceRecord& registered);

}  // namespace pelnor
