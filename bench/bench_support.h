// Full months and a quiet reporter for the benchmarks.
#pragma once

#include <string>
#include <vector>

#include "data/month_record.h"
#include "data/reporter.h"
#include "data/text.h"

namespace pelnor::bench {

class SilentReporter : public Reporter {
 public:
  void info(const std::string&) override {}
  void error(const std::string&) override {}
  void plain(const std::string&) override {}
  bool askYesNo(const std::string&) override { return true; }
  Answer askYesNoCancel(const std::string&) override { return Answer::Yes; }
  void beep() override {}
};

// 31 days of 48 half-hourly readings of device 12.
inline MonthRecord fullMonth(const DateTime& first) {
  MonthRecord month = MonthRecord::makeNew(first, {});
  for (int d = 0; d < kDaysPerMonth; ++d) {
    month.days[d].header.deviceId = 12;
    month.days[d].header.customerName = "山田工業";
    for (int s = 0; s < kSlotsPerDay; ++s) {
      month.days[d].readings.push_back(
          Reading{s / 2, s % 2 * 30, 100 + (d * 7 + s * 13) % 900, 15.0 + s % 10});
    }
  }
  return month;
}

// The data lines of `days` days from 1 January 2024, as a device sends them.
inline std::vector<std::string> dataLines(int days) {
  std::vector<std::string> lines;
  DateTime day = DateTime::fromFields(2024, 1, 1);
  for (int d = 0; d < days; ++d, day = day.addDays(1)) {
    CalendarFields f = day.fields();
    for (int s = 0; s < kSlotsPerDay; ++s) {
      lines.push_back(formatText("%02d/%02d/%02d %02d:%02d,%04d,%02d", f.year - 2000, f.month, f.day, s / 2,
                                 s % 2 * 30, (d * 48 + s) * 7 % 10000, 10 + s % 20));
    }
  }
  return lines;
}

}  // namespace pelnor::bench
