// The twelve months of a year by their peak half hour, read from memory and from files.
#include "data/year_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "data/aggregation.h"
#include "data/report_defaults.h"
#include "data/text.h"
#include "support/data_root_test.h"

namespace pelnor {
namespace {

using namespace test;

// Device 12: multiplier 60 and 50000 pulses per kWh, so 1000 pulses are 1.2 kWh, 2.4 kW.
// The year ends with March 2024: it crosses a year end and holds a leap February.
class YearSummaryTest : public DataRootTest {
 protected:
  struct At {
    int year, month, day, hour, minute;
    int32_t pulses;
  };
  static MonthRecord monthWith(int year, int month, std::initializer_list<At> readings) {
    MonthRecord record = MonthRecord::makeNew(DateTime::fromFields(year, month, 1), {});
    for (const At& r : readings) {
      DayRecord& day = record.days[static_cast<std::size_t>(r.day - 1)];
      day.header.deviceId = 12;
      addReading(day, Reading{r.hour, r.minute, r.pulses, 20.0 + r.day});
    }
    return record;
  }

  YearSummaryTest() {
    // Stored only: December with its peak in the last half hour of the year, the leap
    // February with its peak on the 29th, a June file without readings, a damaged
    // September; the other months have no file.
    store(monthWith(2023, 12, {{2023, 12, 5, 10, 0, 50000}, {2023, 12, 31, 23, 30, 75000},
                               {2023, 12, 31, 8, 0, 10000}}));
    store(monthWith(2024, 2, {{2024, 2, 28, 9, 0, 25000}, {2024, 2, 29, 13, 30, 125000}}));
    store(monthWith(2023, 6, {}));
    std::ofstream(monthFile(2023, 9), std::ios::binary) << "not a month file";
    // A stored March that the month in memory replaces.
    store(monthWith(2024, 3, {{2024, 3, 1, 0, 0, 999999}}));
    // In memory: March, two equal half hours on the 2nd (the earlier one is the peak).
    history.resetForDevice(12, registry);
    history.addReading(DateTime::fromFields(2024, 3, 2, 9, 0), 87500, 12, defaults);
    history.addReading(DateTime::fromFields(2024, 3, 2, 10, 30), 87500, 11, defaults);
    history.addReading(DateTime::fromFields(2024, 3, 9, 10, 30), 30000, 8, defaults);
    history.aggregateAll(50000);
  }

  YearSummary summary() const { return summarizeYear(history, DateTime::fromFields(2024, 3, 15), env); }
};

TEST_F(YearSummaryTest, EachMonthByItsPeakHalfHourFromMemoryAndFiles) {
  const YearSummary year = summary();
  struct Expected {
    int index;
    bool hasDemand;
    double peakKw;
    const char* peakTime;
    double lowestDailyMaxKw, energyKwh, maxTemperature;
  } expected[] = {
      {0, false, 0, "", 0, 0, 0},                      // April 2023: no file
      {2, false, 0, "", 0, 0, 0},                      // June: a file without readings
      {5, false, 0, "", 0, 0, 0},                      // September: damaged, read as empty
      {8, true, 180, "12/31 23:30", 120, 162, 51},     // over the year end
      {10, true, 300, "02/29 13:30", 60, 180, 49},     // the leap day
      {11, true, 210, "03/02 09:00", 72, 246, 12},     // the month in memory, earliest of a tie
  };
  for (const Expected& e : expected) {
    const MonthSummary& m = year.months[static_cast<std::size_t>(e.index)];
    SCOPED_TRACE(e.index);
    EXPECT_EQ(m.hasDemand, e.hasDemand);
    if (!e.hasDemand) continue;
    EXPECT_DOUBLE_EQ(m.peakKw, e.peakKw);
    EXPECT_EQ(peakTimeText(m), e.peakTime);
    EXPECT_DOUBLE_EQ(m.lowestDailyMaxKw, e.lowestDailyMaxKw);
    EXPECT_DOUBLE_EQ(m.energyKwh, e.energyKwh);
    EXPECT_DOUBLE_EQ(m.maxTemperature, e.maxTemperature);
  }
  EXPECT_EQ(year.months[0].month, DateTime::fromFields(2023, 4, 1));
  EXPECT_EQ(year.months[9].month, DateTime::fromFields(2024, 1, 1));
  EXPECT_EQ(year.last().month, DateTime::fromFields(2024, 3, 1));
  EXPECT_EQ(year.peakMonth, 10);
  EXPECT_EQ(yearPeakKw(year), 300);
  EXPECT_EQ(yearPeriodText(DateTime::fromFields(2024, 3, 15)), "2023年4月～2024年3月");

  EXPECT_EQ(history.months.size(), 1u) << "the history is not changed";
  EXPECT_TRUE(reporter.messages().empty()) << "a damaged month is read without a word";
}

TEST_F(YearSummaryTest, TotalsAndMarksAgainstTheContractDemand) {
  YearSummary year = summary();
  EXPECT_EQ(year.contractKw, 0) << "no report was entered";
  EXPECT_EQ(monthRemark(year, 10), "年最大");
  EXPECT_EQ(monthRemark(year, 11), "");

  // The device's last report entry holds the contract demand...
  DeviceRecord device;
  ASSERT_TRUE(registry.find(12, device));
  device.report.entered = 1;
  device.report.demandKw = 200;
  registry.put(device);
  year = summary();
  EXPECT_EQ(year.contractKw, 200);
  EXPECT_EQ(monthRemark(year, 8), "") << "180 kW is within the contract";
  EXPECT_EQ(monthRemark(year, 10), "年最大・契約超過");
  EXPECT_EQ(monthRemark(year, 11), "契約超過");
  // ... unless the chosen month's own entry says otherwise.
  history.months[0].report.entered = 1;
  history.months[0].report.demandKw = 250;
  year = summary();
  EXPECT_EQ(year.contractKw, 250);
  EXPECT_EQ(monthRemark(year, 11), "");

  const YearTotals t = yearTotals(year);
  EXPECT_DOUBLE_EQ(t.peak.max, 300);
  EXPECT_DOUBLE_EQ(t.peak.min, 180);
  EXPECT_DOUBLE_EQ(t.peak.avg, 230);
  EXPECT_DOUBLE_EQ(t.lowestDailyMax.min, 60);
  EXPECT_DOUBLE_EQ(t.energy.sum, 162 + 180 + 246);
  EXPECT_DOUBLE_EQ(t.energy.avg, (162 + 180 + 246) / 3.0);
  EXPECT_DOUBLE_EQ(t.temperature.max, 51);
  EXPECT_DOUBLE_EQ(t.temperature.min, 12);
}

TEST_F(YearSummaryTest, AContractDemandIsOnlyARealPositiveEnteredValue) {
  DeviceRecord registered;
  ReportInfo chosen;
  struct Case {
    int chosenEntered;
    double chosenKw;
    int registeredEntered;
    double registeredKw;
    double contract;
  } cases[] = {
      {0, 500, 0, 400, 0},  {0, 500, 1, 400, 400}, {1, 500, 1, 400, 500},
      {1, 0, 1, 400, 0},    {1, -5, 0, 0, 0},      {1, std::nan(""), 0, 0, 0},
  };
  for (const Case& c : cases) {
    chosen.entered = c.chosenEntered;
    chosen.demandKw = c.chosenKw;
    registered.report.entered = c.registeredEntered;
    registered.report.demandKw = c.registeredKw;
    EXPECT_EQ(contractDemandKw(chosen, registered), c.contract) << c.chosenKw << " " << c.registeredKw;
  }
}

TEST_F(YearSummaryTest, TheReportsTwelveMonthMaximumComesFromTheStoredMonths) {
  DeviceRecord device;
  ASSERT_TRUE(registry.find(12, device));
  device.report.entered = 1;
  device.report.demandKw = 200;  // what the user last typed

  // March 2024: the highest of April 2023 to March 2024 is February's 300 kW.
  ReportInfo march;
  fillReportDefaults(march, device, registry.report, DateTime::now(), yearPeakKw(summary()));
  EXPECT_EQ(march.demandKw, 300);
  EXPECT_EQ(march.entered, 0);

  // Twelve months without a reading leave the last entry.
  const YearSummary empty = summarizeYear(history, DateTime::fromFields(2022, 12, 1), env);
  ReportInfo old;
  fillReportDefaults(old, device, registry.report, DateTime::now(), yearPeakKw(empty));
  EXPECT_EQ(old.demandKw, 200);

  // An entered value is never replaced.
  ReportInfo entered;
  entered.entered = 1;
  entered.demandKw = 123;
  fillReportDefaults(entered, device, registry.report, DateTime::now(), yearPeakKw(summary()));
  EXPECT_EQ(entered.demandKw, 123);
}

TEST(YearPeak, RoundsAsTheTablesShowIt) {
  YearSummary year;
  year.peakMonth = 3;
  for (auto [kw, shown] : {std::pair{210.4, 210.0}, {210.5, 210.0}, {211.5, 212.0}, {210.6, 211.0}}) {
    year.months[3].hasDemand = true;
    year.months[3].peakKw = kw;
    EXPECT_EQ(yearPeakKw(year), shown) << kw;
    EXPECT_EQ(formatText("%.0lf", kw), formatText("%.0lf", shown));
  }
}

}  // namespace
}  // namespace pelnor
