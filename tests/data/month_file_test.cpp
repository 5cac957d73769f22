#include "data/month_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "support/file_fixtures.h"
#include "support/held_file.h"
#include "support/scripted_reporter.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;

class MonthFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScriptedReporter reporter;
  DeviceDefaults defaults{240, 6600, 110, 20, 5, 40000};
  StorageContext context{reporter, defaults, OpenRetry{10, 300, 300}, false};
  MonthRecord month = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), defaults);
  std::filesystem::path file() const { return dir / "D202404.dmd"; }
};

TEST_F(MonthFileTest, ReadsEveryVersion) {
  for (int version : {1, 2, 3}) {
    writeFile(file(), monthFileBytes(version));
    int32_t read = 0;
    ASSERT_TRUE(readMonthFile(file(), month, context, &read)) << version;
    EXPECT_EQ(read, version);
    EXPECT_EQ(month.month, DateTime::fromFields(2024, 4, 1));
    ASSERT_EQ(month.days[0].readings.size(), 2u);
    EXPECT_EQ(month.days[0].readings[1], (Reading{10, 30, 12, 19.0}));
    EXPECT_EQ(month.days[1].readings[0].temperature, -3.0);
    EXPECT_TRUE(month.days[2].readings.empty());
    if (version == 1) {
      // No headers on file: the settings defaults stand in.
      EXPECT_EQ(month.days[0].header, DeviceRecord::makeNew(defaults));
    } else {
      EXPECT_EQ(month.days[0].header.deviceId, 12);
      EXPECT_EQ(month.days[0].header.customerName, "山田");
      EXPECT_EQ(month.days[0].header.multiplier, 120);
    }
  }
  EXPECT_TRUE(reporter.messages().empty());
}

TEST_F(MonthFileTest, WritesTheExactLayoutOfVersion3) {
  writeFile(file(), monthFileBytes(2));
  ASSERT_TRUE(readMonthFile(file(), month, context));
  ASSERT_TRUE(writeMonthFile(file(), month, false, context));
  EXPECT_EQ(readFile(file()), monthFileBytes(3));
}

TEST_F(MonthFileTest, FewerDaysArePaddedWithNewDays) {
  writeFile(file(), monthFileBytes(3, 2));
  ASSERT_TRUE(readMonthFile(file(), month, context));
  EXPECT_EQ(month.days[1].readings.size(), 1u);
  EXPECT_EQ(month.days[30].header, DeviceRecord::makeNew(defaults));
}

TEST_F(MonthFileTest, MissingFileOrFolderInItsPlaceIsAnEmptyMonth) {
  month.days[3].readings.push_back(Reading{1, 0, 1, 1});
  EXPECT_TRUE(readMonthFile(file(), month, context));
  EXPECT_TRUE(month.days[3].readings.empty());
  std::filesystem::create_directory(file());
  EXPECT_TRUE(readMonthFile(file(), month, context));
  EXPECT_TRUE(reporter.messages().empty());
}

TEST_F(MonthFileTest, HeaderErrorsNameThePath) {
  struct Case {
    std::string bytes;
    const char* text;
  } cases[] = {
      {Bytes().str("49406515574540654105456475894510154020030902").i32(3),
       "ファイルが壊れている可能性があります"},
      {Bytes().str("49406515574540654105456475894510154020030901").i32(4), "このバージョンは読めません"},
      {Bytes().str("49406515574540654105456475894510154020030901").i32(0), "このバージョンは読めません"},
      {Bytes().str("49406515574540654105456475894510154020030901").i32(-1), "このバージョンは読めません"},
  };
  for (const Case& c : cases) {
    ScriptedReporter r;
    StorageContext ctx{r, defaults, OpenRetry{10, 300, 300}, false};
    writeFile(file(), c.bytes);
    EXPECT_FALSE(readMonthFile(file(), month, ctx));
    ASSERT_EQ(r.messages().size(), 1u);
    EXPECT_EQ(r.messages()[0].kind, "info");
    EXPECT_EQ(r.messages()[0].text, std::string(c.text) + "\n" + file().string());
  }
}

TEST_F(MonthFileTest, EveryCutOfAValidFileFailsWithLine455) {
  const std::string full = monthFileBytes(3, 31, {{10, 0, 30, 21}}, {});
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    ScriptedReporter r;
    StorageContext ctx{r, defaults, OpenRetry{10, 300, 300}, false};
    writeFile(file(), full.substr(0, cut));
    EXPECT_FALSE(readMonthFile(file(), month, ctx)) << cut;
    ASSERT_EQ(r.messages().size(), 1u) << cut;
    EXPECT_TRUE(r.messages()[0].text.starts_with("ｱｰｶｲﾌﾞ異常\n")) << cut << r.messages()[0].text;
    EXPECT_TRUE(r.messages()[0].text.ends_with("\n.\\DAT_DATA(455)")) << cut;
  }
}

TEST_F(MonthFileTest, CountsBeyondTheFileAreArchiveErrors) {
  std::string tooManyDays = monthFileBytes(3, 32);
  std::string hugeReadingCount = Bytes()
                                     .str("49406515574540654105456475894510154020030901")
                                     .i32(1)
                                     .i32(0)
                                     .f64(45383.0)
                                     .u16(1)
                                     .u16(0xFFFF)
                                     .u32(0x7FFFFFFF);
  for (const std::string& bytes : {tooManyDays, hugeReadingCount}) {
    ScriptedReporter r;
    StorageContext ctx{r, defaults, OpenRetry{10, 300, 300}, false};
    writeFile(file(), bytes);
    EXPECT_FALSE(readMonthFile(file(), month, ctx));
    ASSERT_EQ(r.messages().size(), 1u);
    EXPECT_TRUE(r.messages()[0].text.starts_with("ｱｰｶｲﾌﾞ異常\n"));
  }
}

TEST_F(MonthFileTest, WriteOnlyIfExistsCreatesNothing) {
  EXPECT_TRUE(writeMonthFile(file(), month, true, context));
  EXPECT_FALSE(std::filesystem::exists(file()));
  EXPECT_TRUE(writeMonthFile(file(), month, false, context));
  EXPECT_TRUE(std::filesystem::exists(file()));
}

TEST_F(MonthFileTest, FailedWritesLeaveTheOldFileUnchanged) {
  const std::string old = monthFileBytes(3);
  writeFile(file(), old);
  month.days[5].readings.push_back(Reading{1, 0, 1, 1});

  HeldFile other(file());
  ASSERT_TRUE(other.held());
  EXPECT_FALSE(writeMonthFile(file(), month, false, context));
  other.release();
  ASSERT_EQ(reporter.messages().size(), 1u);
  EXPECT_EQ(reporter.messages()[0].text, "ファイルがライトオープン出来ません\n" + file().string());
  EXPECT_EQ(readFile(file()), old);

  // A missing folder: the new file cannot be made.
  std::filesystem::path missing = dir / "gone" / "D202404.dmd";
  EXPECT_FALSE(writeMonthFile(missing, month, false, context));
  EXPECT_EQ(reporter.messages().back().text, "ファイルがライトオープン出来ません\n" + missing.string());

  // No temporary files stay behind.
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(MonthFileTest, LockedFileIsRetriedUntilTheLimit) {
  writeFile(file(), monthFileBytes(3));
  HeldFile other(file());
  ASSERT_TRUE(other.held());
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(readMonthFile(file(), month, context));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_EQ(reporter.messages().at(0).text, "ファイルがリードオープン出来ません\n" + file().string());
}

TEST(MonthRecordTest, AddReadingKeepsOrderAndReplacesTheSameKey) {
  DayRecord day;
  addReading(day, {10, 30, 1, 20});
  addReading(day, {8, 0, 2, 20});
  addReading(day, {23, 30, 3, 20});
  addReading(day, {10, 30, 9, 25});
  ASSERT_EQ(day.readings.size(), 3u);
  EXPECT_EQ(day.readings[0].key(), 800);
  EXPECT_EQ(day.readings[1], (Reading{10, 30, 9, 25}));
  EXPECT_EQ(day.readings[2].key(), 2330);
}

std::vector<int32_t> keys(const DayRecord& day) {
  std::vector<int32_t> out;
  for (const Reading& r : day.readings) out.push_back(r.key());
  return out;
}

TEST(MonthRecordTest, MergeKeepsStoredReadingsOutsideTheNewSpan) {
  DayRecord stored;
  stored.header.deviceId = 5;
  for (int h = 0; h < 24; ++h) {
    addReading(stored, {h, 0, 1, 0});
    addReading(stored, {h, 30, 1, 0});
  }
  DayRecord received;
  received.header.deviceId = 6;
  for (int h = 8; h <= 12; ++h) {
    if (h != 10) addReading(received, {h, 0, 7, 0});  // a gap at 10:00
    addReading(received, {h, 30, 7, 0});
  }
  mergeDay(received, stored);
  std::vector<int32_t> k = keys(received);
  EXPECT_EQ(k.size(), 16u + 9u + 22u);
  EXPECT_EQ(std::count(k.begin(), k.end(), 1000), 0);  // dropped although the new data lacks it
  EXPECT_EQ(k.front(), 0);
  EXPECT_EQ(k.back(), 2330);
  EXPECT_TRUE(std::is_sorted(k.begin(), k.end()));
  for (const Reading& r : received.readings) {
    bool inSpan = r.key() >= 800 && r.key() <= 1230;
    EXPECT_EQ(r.pulseCount, inSpan ? 7 : 1) << r.key();
  }
  EXPECT_EQ(received.header.deviceId, 6);

  DayRecord empty;
  mergeDay(empty, stored);
  EXPECT_EQ(empty.header.deviceId, 5);
  EXPECT_EQ(empty.readings, stored.readings);
}

}  // namespace
}  // namespace pelnor
