// Full months and a quiet reporter for the benchmarks.
#pragma once

#include "data/month_record.h"
#include "data/reporter.h"

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

}  // namespace pelnor::bench
