#include "data/device_history.h"

#include <gtest/gtest.h>

#include "data/display_state.h"
#include "data/month_file.h"
#include "data/vct_change.h"
#include "support/data_root_test.h"

namespace pelnor {
namespace {

using namespace test;

class DeviceHistoryTest : public DataRootTest {
 protected:
  // Stores a month of device 12 with one reading of `pulses` on each given day at 10:00.
  void storeMonth(int year, int month, std::initializer_list<int> days, int32_t pulses = 100) {
    MonthRecord record = MonthRecord::makeNew(DateTime::fromFields(year, month, 1), defaults);
    for (int d : days) addReading(record.days[static_cast<std::size_t>(d - 1)], Reading{10, 0, pulses, 20});
    store(record);
  }
};

TEST_F(DeviceHistoryTest, LoadsTheChosenMonthAndTheOnesBefore) {
  storeMonth(2024, 3, {1});
  storeMonth(2024, 1, {31});
  storeMonth(2023, 12, {1});
  history.months.push_back(MonthRecord::makeNew(DateTime::fromFields(2020, 1, 1), defaults));  // discarded

  history.loadPastMonths(12, DateTime::fromFields(2024, 3, 17, 13, 0), 3, env);
  ASSERT_EQ(history.months.size(), 3u);
  EXPECT_EQ(history.months[0].month, DateTime::fromFields(2024, 1, 1));
  EXPECT_EQ(history.months[2].month, DateTime::fromFields(2024, 3, 1));
  EXPECT_EQ(history.months[1].pulseStats.count, 0);  // February has no file
  EXPECT_EQ(history.months[0].days[30].dayStats.sum.pulses, 100);
  EXPECT_EQ(history.device.customerName, "山田");
  DateTime first, last;
  ASSERT_TRUE(history.firstAndLast(first, last));
  EXPECT_EQ(first, DateTime::fromFields(2024, 1, 1));
  EXPECT_EQ(last, DateTime::fromFields(2024, 3, 31));
  EXPECT_EQ(history.monthPosition(DateTime::fromFields(2024, 2, 29, 23, 59)), 1);
  EXPECT_EQ(history.monthPosition(DateTime::fromFields(2024, 4, 1)), -1);
  EXPECT_TRUE(reporter.messages().empty());
}

TEST_F(DeviceHistoryTest, AFileHoldingAnotherMonthKeepsTheListSorted) {
  MonthRecord may = MonthRecord::makeNew(DateTime::fromFields(2024, 5, 1), defaults);
  addReading(may.days[0], Reading{10, 0, 7, 20});
  store(may);
  std::filesystem::copy_file(monthFile(2024, 5), monthFile(2024, 3));  // March's name, May's content
  history.loadPastMonths(12, DateTime::fromFields(2024, 5, 1), 3, env);
  ASSERT_EQ(history.months.size(), 3u);
  EXPECT_EQ(history.months[0].month, DateTime::fromFields(2024, 3, 1));
  EXPECT_EQ(history.monthPosition(DateTime::fromFields(2024, 5, 9)), 2);
  EXPECT_EQ(history.months[0].days[0].readings.size(), 1u);
}

TEST_F(DeviceHistoryTest, ReceivedReadingsAcrossMonthsAreMergedSavedAndGapsFilled) {
  storeMonth(2024, 1, {31, 30});
  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2024, 1, 31, 23, 30), 5, 18, defaults);
  history.addReading(DateTime::fromFields(2024, 2, 1, 0, 0), 6, 17, defaults);
  history.addReading(DateTime::fromFields(2024, 4, 1, 0, 0), 7, 17, defaults);
  history.addReading(DateTime::fromFields(2024, 4, 1, 0, 0), 8, 16, defaults);  // the later one wins
  EXPECT_EQ(history.months[0].days[3].header.deviceId, 12);                     // every day of a new month

  std::vector<DateTime> unsaved;
  EXPECT_TRUE(history.mergeAndSave(false, env, &unsaved));  // the month filled in is not one left unsaved
  EXPECT_TRUE(unsaved.empty());
  ASSERT_EQ(history.months.size(), 4u);  // March filled in, in memory only
  EXPECT_FALSE(std::filesystem::exists(location.monthFile(12, DateTime::fromFields(2024, 3, 1))));

  MonthRecord january;
  ASSERT_TRUE(readMonthFile(location.monthFile(12, DateTime::fromFields(2024, 1, 1)), january, storage));
  ASSERT_EQ(january.days[30].readings.size(), 2u);  // the stored 10:00 lies before the received span
  EXPECT_EQ(january.days[30].readings[1].pulseCount, 5);
  EXPECT_EQ(january.days[29].readings.size(), 1u);  // a day not received keeps its readings
  MonthRecord april;
  ASSERT_TRUE(readMonthFile(location.monthFile(12, DateTime::fromFields(2024, 4, 1)), april, storage));
  EXPECT_EQ(april.days[0].readings.at(0).pulseCount, 8);
  EXPECT_EQ(history.months[0].days[30].dayStats.count, 2);  // aggregated
}

TEST_F(DeviceHistoryTest, MergeAndSaveOnlyIfExistsCreatesNothingNew) {
  storeMonth(2024, 1, {1});
  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2024, 1, 1, 12, 0), 9, 20, defaults);
  history.addReading(DateTime::fromFields(2024, 2, 1, 12, 0), 9, 20, defaults);
  history.mergeAndSave(true, env);
  EXPECT_FALSE(std::filesystem::exists(location.monthFile(12, DateTime::fromFields(2024, 2, 1))));
  MonthRecord january;
  ASSERT_TRUE(readMonthFile(location.monthFile(12, DateTime::fromFields(2024, 1, 1)), january, storage));
  EXPECT_EQ(january.days[0].readings.size(), 2u);
}

TEST_F(DeviceHistoryTest, SaveAllStopsAtTheFirstFailure) {
  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2024, 1, 1, 12, 0), 9, 20, defaults);
  history.addReading(DateTime::fromFields(2024, 2, 1, 12, 0), 9, 20, defaults);
  DataLocation::createFolderPath(
      location.monthFile(12, DateTime::fromFields(2024, 1, 1)));  // a folder in the way
  EXPECT_FALSE(history.saveAll(false, env));
  EXPECT_EQ(reporter.messages().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(location.monthFile(12, DateTime::fromFields(2024, 2, 1))));
}

TEST_F(DeviceHistoryTest, ScalesFollowTheDisplayedMaximum) {
  history.resetForDevice(12, registry);
  // 23.5 kW: 23.5 / (60 / 50000 * 2) pulses in the half hour.
  history.addReading(DateTime::fromFields(2024, 5, 3, 10, 0), 9792, 20, defaults);
  history.aggregateAll(50000);
  DisplayState state;
  DateTime day3 = DateTime::fromFields(2024, 5, 3);
  state.setView(history, Period::Month, 0, day3, true, true);
  EXPECT_EQ(state.demandScales[static_cast<std::size_t>(state.demandScale)].step, 5);
  EXPECT_EQ(state.energyScales[static_cast<std::size_t>(state.energyScale)].step, 5);  // 11.75 kWh

  state.setView(history, Period::Day, 1, DateTime::fromFields(2024, 5, 4), true, true);
  EXPECT_EQ(state.demandScale, 0);  // no data: the first entry
  EXPECT_EQ(state.outputFlag, 1);

  history.addReading(DateTime::fromFields(2024, 5, 4, 10, 0), 5000000, 20, defaults);  // 12000 kW
  history.aggregateAll(50000);
  state.setView(history, Period::Day, 0, DateTime::fromFields(2024, 5, 4), true, false);
  EXPECT_EQ(state.demandScale, static_cast<int>(state.demandScales.size()) - 1);
  EXPECT_EQ(state.energyScale, 0);  // not rescaled
  EXPECT_THROW(state.setView(history, Period::Day, 0, DateTime::fromFields(2024, 6, 1), true, true),
               std::invalid_argument);
}

TEST_F(DeviceHistoryTest, VctChangeAsksAndRewritesOnlyExistingFiles) {
  storeMonth(2024, 5, {3});
  history.loadPastMonths(12, DateTime::fromFields(2024, 5, 1), 2, env);
  DeviceRecord changed;
  registry.find(12, changed);
  changed.multiplier = 1200;
  registry.put(changed);

  reporter.answer(Reporter::Answer::No);
  EXPECT_FALSE(reapplyVctChange(history, Period::Month, DateTime::fromFields(2024, 5, 3), env, reporter));
  EXPECT_EQ(history.months[1].days[2].header.multiplier, 60);

  reporter.answer(Reporter::Answer::Yes);
  EXPECT_TRUE(reapplyVctChange(history, Period::Day, DateTime::fromFields(2024, 5, 3), env, reporter));
  EXPECT_EQ(history.months[1].days[2].header.multiplier, 1200);
  EXPECT_EQ(history.months[1].days[3].header.multiplier, 60);
  EXPECT_DOUBLE_EQ(history.months[1].days[2].slots[20].energyKwh, 100 * 1200.0 / 50000);
  EXPECT_EQ(reporter.beeps, 2);
  auto texts = reporter.texts();
  EXPECT_TRUE(texts[0].starts_with("現在表示している月の全ての日データ"));
  EXPECT_EQ(
      texts[1],
      "現在表示している日データの「VCT(一次電流)」を\n現在の設定値に変更し再集計します\nよろしいですか");
  EXPECT_FALSE(std::filesystem::exists(location.monthFile(12, DateTime::fromFields(2024, 4, 1))));
  MonthRecord stored;
  ASSERT_TRUE(readMonthFile(location.monthFile(12, DateTime::fromFields(2024, 5, 1)), stored, storage));
  EXPECT_EQ(stored.days[2].header.multiplier, 1200);

  history.device.deviceId = 99;  // not registered: nothing is asked
  EXPECT_FALSE(reapplyVctChange(history, Period::Day, DateTime::fromFields(2024, 5, 3), env, reporter));
  EXPECT_EQ(reporter.beeps, 2);
}

}  // namespace
}  // namespace pelnor
