#include "comm/rotating_log.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;

// A clock the test moves by hand.
class FakeClock : public LogClock {
 public:
  std::time_t now() const override { return when; }
  uint32_t tickMs() const override { return tick; }
  std::time_t when = 0;
  uint32_t tick = 1000;
};

std::time_t localTime(int year, int month, int day, int hour = 12) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

class RotatingLogTest : public ::testing::Test {
 protected:
  std::string prefix() const { return (dir / "Pelnor").string(); }
  std::filesystem::path file(const std::string& suffix) const { return dir / ("Pelnor" + suffix); }

  TempDir dir;
  FakeClock clock;
  RotatingLog log{&clock};
};

TEST_F(RotatingLogTest, DayNumbersCountFrom1998) {
  EXPECT_EQ(RotatingLog::dayNumber(localTime(1998, 1, 1, 0)), 0);
  EXPECT_EQ(RotatingLog::dayNumber(localTime(1998, 1, 2, 23)), 1);
  EXPECT_EQ(RotatingLog::dayNumber(localTime(1999, 1, 1, 1)), 365);
}

TEST_F(RotatingLogTest, TheRingTurnsWithTheCalendar) {
  log.Configure(prefix(), 7, 4, 200, 5242880);
  const std::time_t day1 = localTime(1998, 1, 2);  // day number 1
  auto onDay = [&](long d, const char* text) {
    clock.when = day1 + (d - 1) * 86400;
    log.WriteLine(text);
  };
  onDay(1, "first");
  onDay(7, "seventh");
  onDay(8, "eighth");
  onDay(28, "twenty-eighth");
  EXPECT_NE(readFile(file("0.LOG")).find("seventh"), std::string::npos);
  EXPECT_NE(readFile(file("1.LOG")).find("eighth"), std::string::npos);
  EXPECT_NE(readFile(file("3.LOG")).find("twenty-eighth"), std::string::npos);
  onDay(29, "again");  // index 0 comes back: the old turn's content goes
  std::string zero = readFile(file("0.LOG"));
  EXPECT_EQ(zero.find("first"), std::string::npos);
  EXPECT_NE(zero.find("again"), std::string::npos);
  onDay(35, "same period");
  EXPECT_NE(readFile(file("0.LOG")).find("again"), std::string::npos);
}

TEST_F(RotatingLogTest, LineLayoutAndWriteKinds) {
  log.Configure(prefix(), 7, 4, 200, 5242880);
  clock.when = localTime(2024, 5, 1, 9);
  clock.tick = 12345;
  log.WriteLine("受信開始");
  clock.tick = 12845;
  log.WriteHead("head ");
  log.WriteRaw("raw");
  std::string index = std::to_string((RotatingLog::dayNumber(clock.when) - 1) / 7 % 4);
  std::string text = readFile(file(index + ".LOG"));
  std::string first = text.substr(0, text.find("\r\n"));
  // "MM/DD hh:mm:ss[tick](elapsed)" is 34 characters, then the text in cp932.
  EXPECT_EQ(first.substr(0, 14), "05/01 09:00:00");
  EXPECT_EQ(first.substr(14, 20).size(), 20u);
  EXPECT_EQ(first.substr(14, 10), "[00012345]");
  EXPECT_EQ(first.substr(34), "\x8E\xF3\x90\x4D\x8A\x4A\x8E\x6E");
  EXPECT_NE(text.find("[00012845](     500)head raw\r\n"), std::string::npos);
}

TEST_F(RotatingLogTest, OversizedFileStartsAfresh) {
  log.Configure(prefix(), 7, 4, 200, 100);
  clock.when = localTime(2024, 5, 1);
  for (int i = 0; i < 4; ++i) log.WriteRaw(std::string(40, 'a' + static_cast<char>(i)));
  std::string index = std::to_string((RotatingLog::dayNumber(clock.when) - 1) / 7 % 4);
  EXPECT_EQ(readFile(file(index + ".LOG")), std::string(40, 'd') + "\r\n");
}

TEST_F(RotatingLogTest, FallbackFileAndSwitchedOff) {
  RotatingLog off(&clock);
  off.WriteLine("nothing");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  log.Configure(prefix(), 7, 4, 150, 5242880);
  clock.when = localTime(2024, 5, 1);
  std::string index = std::to_string((RotatingLog::dayNumber(clock.when) - 1) / 7 % 4);
  std::filesystem::create_directory(file(index + ".LOG"));  // cannot be opened as a file
  log.WriteRaw("to the fallback");
  EXPECT_EQ(readFile(file("E.LOG")), "to the fallback\r\n");
}

TEST(ByteTrace, LinesStandUnderEachOther) {
  const uint8_t line[] = {'1', '0', '0', 0x0D, 0x0A};
  EXPECT_EQ(traceHexLine(line, 5), "31 30 30 0D 0A ");
  EXPECT_EQ(traceCharLine(line, 5), std::string(36, ' ') + " 1  0  0 @CR@LF");
  const uint8_t odd[] = {0x82, 0xB1, 0x02, 0x7F};
  EXPECT_EQ(traceHexLine(odd, 4), "82 B1 02 7F ");
  EXPECT_EQ(traceCharLine(odd, 4), std::string(36, ' ') + "    ｱ @SX   ");
}

TEST_F(RotatingLogTest, TraceBytesWritesHeadMarkerAndBothLines) {
  log.Configure(prefix(), 7, 30, 200, 5242880);
  clock.when = localTime(2024, 5, 1);
  const uint8_t bytes[] = {'A', 0x0D};
  log.TraceBytes(bytes, 2, true);
  log.TraceBytes(bytes, 0, true);
  std::string index = std::to_string((RotatingLog::dayNumber(clock.when) - 1) / 7 % 30);
  std::string text = readFile(file(index + ".LOG"));
  EXPECT_EQ(text.substr(text.find(")**") + 1), "**41 0D \r\n" + std::string(36, ' ') + " A @CR\r\n");
}

}  // namespace
}  // namespace pelnor
