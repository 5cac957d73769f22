// A stored month that is damaged at its end: what precedes the damage is shown and kept
// through the next save, and the damaged original is kept beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "data/archive.h"
#include "data/device_history.h"
#include "data/display_state.h"
#include "data/file_lock.h"
#include "data/vct_change.h"
#include "support/data_root_test.h"
#include "support/held_file.h"

namespace pelnor {
namespace {

using namespace test;

constexpr int kReadingsPerDay = 2;
constexpr std::size_t kReadingBytes = 20;

class DamagedMonthTest : public DataRootTest {
 protected:
  DamagedMonthTest() {
    april = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), defaults);
    DeviceRecord device;
    registry.find(12, device);
    for (int d = 0; d < kDaysPerMonth; ++d) {
      DayRecord& day = april.days[static_cast<std::size_t>(d)];
      day.header = device;
      addReading(day, Reading{10, 0, d + 1, 20});
      addReading(day, Reading{10, 30, d + 100, 21});
    }
    storage.log = [this](const std::string& line) { logLines.push_back(line); };
  }

  // Where day `number` (1-based) begins in the file: all days take the same room.
  std::size_t dayStart(int number) const {
    ArchiveWriter header;
    writeDeviceRecord(header, april.days[0].header);
    std::size_t dayBytes = header.bytes().size() + 2 + kReadingsPerDay * kReadingBytes;
    std::size_t daysBegin = serializeMonth(april).size() - kDaysPerMonth * dayBytes;
    return daysBegin + static_cast<std::size_t>(number - 1) * dayBytes;
  }
  std::size_t headerBytes() const {
    ArchiveWriter header;
    writeDeviceRecord(header, april.days[0].header);
    return header.bytes().size();
  }
  // The stored April, cut at offset.
  std::string storeCut(std::size_t offset) {
    std::string bytes = serializeMonth(april).substr(0, offset);
    DataLocation::createFolderPath(location.deviceFolder(12));
    writeFile(monthFile(2024, 4), bytes);
    return bytes;
  }

  MonthRecord april;
  std::vector<std::string> logLines;
};

TEST_F(DamagedMonthTest, EveryWholeDayAndReadingBeforeTheDamageIsRead) {
  struct Case {
    const char* name;
    std::size_t cut;
    std::size_t readingsOfDay15;
    bool headerOfDay15Read;
  } cases[] = {
      {"at the start of day 15", dayStart(15), 0, false},
      {"inside the header of day 15", dayStart(15) + 10, 0, false},
      {"inside the second reading of day 15", dayStart(15) + headerBytes() + 2 + kReadingBytes + 7, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    storeCut(c.cut);
    ScriptedReporter r;
    StorageContext context{r, defaults, OpenRetry{10, 300, 300}, false};
    // Read into a record that holds the whole month: nothing of it may show through.
    MonthRecord read = april;
    MonthReadOutcome outcome = MonthReadOutcome::Read;
    EXPECT_FALSE(readMonthFile(monthFile(2024, 4), read, context, nullptr, &outcome));
    EXPECT_EQ(outcome, MonthReadOutcome::Damaged);
    ASSERT_EQ(r.messages().size(), 1u) << "reported once";
    EXPECT_NE(r.texts()[0].find("ｱｰｶｲﾌﾞ異常"), std::string::npos);
    for (int d = 0; d < 14; ++d) {
      EXPECT_EQ(read.days[static_cast<std::size_t>(d)].readings,
                april.days[static_cast<std::size_t>(d)].readings);
      EXPECT_EQ(read.days[static_cast<std::size_t>(d)].header.deviceId, 12);
    }
    if (c.headerOfDay15Read) {
      EXPECT_EQ(read.days[14].header, april.days[14].header);
    } else {
      EXPECT_EQ(read.days[14].header, DeviceRecord::makeNew(defaults)) << "a header cut short stays new";
    }
    EXPECT_EQ(read.days[15].header, DeviceRecord::makeNew(defaults));
    ASSERT_EQ(read.days[14].readings.size(), c.readingsOfDay15);
    if (c.readingsOfDay15 > 0) {
      EXPECT_EQ(read.days[14].readings[0], april.days[14].readings[0]);
    }
    EXPECT_TRUE(read.days[15].readings.empty());
  }
}

TEST_F(DamagedMonthTest, ACollectionKeepsTheEarlierDaysAndTheDamagedOriginal) {
  const std::string damaged = storeCut(dayStart(15) + 10);
  for (int collection = 1; collection <= 2; ++collection) {
    history.resetForDevice(12, registry);
    history.addReading(DateTime::fromFields(2024, 4, 30, 12, 0), 5, 19, defaults);
    history.mergeAndSave(false, env);
    if (collection == 1) {
      // Collected once more, the month reads whole: no further copy.
      history.resetForDevice(12, registry);
      history.addReading(DateTime::fromFields(2024, 4, 30, 12, 30), 6, 19, defaults);
      EXPECT_TRUE(history.mergeAndSave(false, env));
      storeCut(dayStart(20));  // damaged again
    }
  }
  MonthRecord read = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), defaults);
  ASSERT_TRUE(readMonthFile(monthFile(2024, 4), read, storage));
  for (int d = 0; d < 14; ++d) {
    EXPECT_EQ(read.days[static_cast<std::size_t>(d)].readings,
              april.days[static_cast<std::size_t>(d)].readings);
  }
  EXPECT_EQ(read.days[29].readings.size(), 1u);
  std::filesystem::path first = monthFile(2024, 4).string() + ".damaged";
  std::filesystem::path second = monthFile(2024, 4).string() + ".damaged.2";
  EXPECT_EQ(readFile(first), damaged);
  EXPECT_EQ(readFile(second).size(), dayStart(20));
  ASSERT_EQ(logLines.size(), 2u);
  EXPECT_NE(logLines[1].find(second.string()), std::string::npos);
}

// Bytes after the last day are read over quietly, but a save would drop them: the file is
// kept beside first, as a damaged one is.
TEST_F(DamagedMonthTest, BytesAfterTheLastDayAreKeptBesideBeforeASave) {
  store(april);
  const std::string stored = readFile(monthFile(2024, 4)) + std::string(3 << 20, '\x5A');
  writeFile(monthFile(2024, 4), stored);
  MonthRecord read = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), defaults);
  MonthReadOutcome outcome = MonthReadOutcome::Read;
  EXPECT_TRUE(readMonthFile(monthFile(2024, 4), read, storage, nullptr, &outcome));
  EXPECT_EQ(outcome, MonthReadOutcome::Trailing);
  EXPECT_EQ(read.days[29].readings, april.days[29].readings);
  EXPECT_TRUE(reporter.messages().empty());

  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2024, 4, 30, 12, 0), 5, 19, defaults);
  ASSERT_TRUE(history.mergeAndSave(false, env));
  const std::filesystem::path copy = monthFile(2024, 4).string() + ".damaged";
  EXPECT_EQ(readFile(copy), stored);
  ASSERT_EQ(logLines.size(), 1u);
  EXPECT_NE(logLines[0].find(copy.string()), std::string::npos);
  ASSERT_TRUE(readMonthFile(monthFile(2024, 4), read, storage, nullptr, &outcome));
  EXPECT_EQ(outcome, MonthReadOutcome::Read);
  EXPECT_EQ(read.days[29].readings.size(), april.days[29].readings.size() + 1);

  // A stored month changed in place (a VCT change) keeps it alike.
  const std::string tailed = readFile(monthFile(2024, 4)) + "tail";
  writeFile(monthFile(2024, 4), tailed);
  ASSERT_TRUE(history.changeStoredMonth(DateTime::fromFields(2024, 4, 1), env, [](MonthRecord&) {}));
  EXPECT_EQ(readFile(monthFile(2024, 4).string() + ".damaged.2"), tailed);
  EXPECT_EQ(readFile(monthFile(2024, 4)), tailed.substr(0, tailed.size() - 4));
}

TEST_F(DamagedMonthTest, AMonthThatCannotBeOpenedIsNotReplaced) {
  store(april);
  const std::string before = readFile(monthFile(2024, 4));
  HeldFile held(monthFile(2024, 4));  // another program holds it
  ASSERT_TRUE(held.held());
  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2024, 4, 30, 12, 0), 5, 19, defaults);
  history.addReading(DateTime::fromFields(2024, 5, 1, 12, 0), 5, 19, defaults);
  EXPECT_FALSE(history.mergeAndSave(false, env));
  held.release();
  EXPECT_EQ(readFile(monthFile(2024, 4)), before);
  EXPECT_FALSE(std::filesystem::exists(monthFile(2024, 5))) << "nothing is saved";
}

TEST_F(DamagedMonthTest, ACollectionKeepsTheEnteredReport) {
  april.report.entered = 1;
  april.report.office = "本社";
  april.report.notes = "点検済み";
  store(april);
  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2024, 4, 30, 12, 0), 5, 19, defaults);
  ASSERT_TRUE(history.mergeAndSave(false, env));
  MonthRecord read = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), defaults);
  ASSERT_TRUE(readMonthFile(monthFile(2024, 4), read, storage));
  EXPECT_EQ(read.report, april.report);

  // A report entered now replaces the stored one.
  history.monthAt(0).report.notes = "再点検";
  ASSERT_TRUE(history.mergeAndSave(true, env));
  ASSERT_TRUE(readMonthFile(monthFile(2024, 4), read, storage));
  EXPECT_EQ(read.report.notes, "再点検");
}

// A VCT change writes only the displayed month, read anew: a damaged month loaded beside
// it is not cut down to what could be read, and a damaged displayed month is kept first.
TEST_F(DamagedMonthTest, AVctChangeWritesOnlyTheDisplayedMonthAndKeepsItIfDamaged) {
  MonthRecord march = april;
  march.month = DateTime::fromFields(2024, 3, 1);
  store(march);
  const std::string damaged = storeCut(dayStart(16));
  history.loadPastMonths(12, DateTime::fromFields(2024, 4, 1), 2, env);
  DeviceRecord changed;
  registry.find(12, changed);
  changed.multiplier = 1200;
  registry.put(changed);

  reporter.answer(Reporter::Answer::Yes);
  ASSERT_TRUE(reapplyVctChange(history, Period::Month, DateTime::fromFields(2024, 3, 5), env, reporter));
  EXPECT_EQ(readFile(monthFile(2024, 4)), damaged) << "April was not displayed: it stays as it is";
  EXPECT_FALSE(std::filesystem::exists(monthFile(2024, 4).string() + ".damaged"));

  reporter.answer(Reporter::Answer::Yes);
  ASSERT_TRUE(reapplyVctChange(history, Period::Month, DateTime::fromFields(2024, 4, 5), env, reporter));
  EXPECT_EQ(readFile(monthFile(2024, 4).string() + ".damaged"), damaged);
  MonthRecord read = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), defaults);
  ASSERT_TRUE(readMonthFile(monthFile(2024, 4), read, storage));
  EXPECT_EQ(read.days[14].readings, april.days[14].readings);
  EXPECT_EQ(read.days[14].header.multiplier, 1200);
}

// While another program holds the device's lock, a save waits for it: it fails with a
// message when the lock is not freed in time, and gives up at once when abandoned.
TEST_F(DamagedMonthTest, ASaveWaitsForTheDevicesLock) {
  store(april);
  const std::string before = readFile(monthFile(2024, 4));
  FileLock other;
  ASSERT_EQ(acquireFileLock(other, location.deviceFolder(12) / kDeviceLockName, 0, reporter), kOpenOk);
  ASSERT_TRUE(other.held());
  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2024, 4, 30, 12, 0), 5, 19, defaults);
  EXPECT_FALSE(history.mergeAndSave(false, env));
  ASSERT_EQ(reporter.messages().size(), 1u);
  EXPECT_EQ(reporter.texts()[0],
            "他のプログラムがデータを更新中のため、保存出来ません\n" + location.deviceFolder(12).string());
  EXPECT_EQ(readFile(monthFile(2024, 4)), before);

  std::atomic<bool> abandon{true};
  storage.abandon = &abandon;
  storage.retry.monthFileLimitMs = 60000;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(history.mergeAndSave(false, env));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(readFile(monthFile(2024, 4)), before);
}

// Months a collection could not store are listed and hold again what their files hold,
// so that nothing unsaved is shown as if it were stored.
TEST_F(DamagedMonthTest, MonthsThatCouldNotBeSavedAreListedAndShownAsStored) {
  store(april);
  std::filesystem::permissions(monthFile(2024, 4), std::filesystem::perms::owner_read);
  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2024, 4, 30, 12, 0), 5, 19, defaults);
  history.addReading(DateTime::fromFields(2024, 5, 1, 12, 0), 5, 19, defaults);
  std::vector<DateTime> unsaved;
  EXPECT_FALSE(history.mergeAndSave(false, env, &unsaved));
  EXPECT_EQ(unsaved,
            (std::vector<DateTime>{DateTime::fromFields(2024, 4, 1), DateTime::fromFields(2024, 5, 1)}));
  ASSERT_EQ(history.months.size(), 2u);
  EXPECT_EQ(history.monthAt(0).days[29].readings, april.days[29].readings);
  EXPECT_EQ(history.monthAt(1).days[0].readings.size(), 0u);
  EXPECT_FALSE(std::filesystem::exists(monthFile(2024, 5)));
}

// The temporary files of saves that were killed before their rename go with the next
// save of the device or of the master, which holds the lock no other save runs without.
TEST_F(DamagedMonthTest, TheNextSaveClearsWhatKilledSavesLeft) {
  store(april);
  ASSERT_TRUE(registry.save(dir.path(), storage));
  const std::filesystem::path folder = location.deviceFolder(12);
  for (const char* name : {"D202404.dmd.a1B2c3", "D202405.dmd.Zz9Yy8"}) writeFile(folder / name, "half");
  writeFile(dir / "MCDATA.MST.q1w2e3", "half");
  writeFile(folder / "notes.txt", "the user's");
  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2024, 4, 30, 12, 0), 5, 19, defaults);
  ASSERT_TRUE(history.mergeAndSave(false, env));
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"D202404.dmd", "DEVICE.LCK", "notes.txt"}));

  ASSERT_TRUE(registry.save(dir.path(), storage));  // unchanged: nothing written, nothing cleared
  EXPECT_TRUE(std::filesystem::exists(dir / "MCDATA.MST.q1w2e3"));
  DeviceRecord added = DeviceRecord::makeNew(defaults);
  added.deviceId = 13;
  registry.put(added);
  ASSERT_TRUE(registry.save(dir.path(), storage));
  EXPECT_FALSE(std::filesystem::exists(dir / "MCDATA.MST.q1w2e3"));
}

}  // namespace
}  // namespace pelnor
