#include "data/text_export.h"

#include <gtest/gtest.h>

#include <cmath>

#include "comm/reception_parser.h"
#include "data/text.h"
#include "support/data_root_test.h"

namespace pelnor {
namespace {

using namespace test;

class TextExportTest : public DataRootTest {
 protected:
  TextExportTest() {
    history.resetForDevice(12, registry);
    // 29 February 2024 (a leap day, a Thursday): 1000 pulses at 00:00, 500 at 10:30.
    history.addReading(DateTime::fromFields(2024, 2, 29, 0, 0), 1000, 20, defaults);
    history.addReading(DateTime::fromFields(2024, 2, 29, 10, 30), 500, -3.7, defaults);
    history.addReading(DateTime::fromFields(2024, 2, 1, 23, 30), 12345, 5, defaults);
    history.aggregateAll(50000);
  }
  // The file as it lands on disk: cp932 with CR LF.
  static std::string onDisk(const std::string& utf8) {
    std::string out;
    for (char c : utf8ToCp932(utf8)) {
      if (c == '\n') out += '\r';
      out += c;
    }
    return out;
  }
  static std::string header(const char* title) {
    return std::string(title) +
           "\n機器ＩＤ, 12\n需要家名, 山田\nVCT(一次電流[A]), 5\n一次定格電圧[V], 6600\n一次定格電流[A], 5\n"
           "二次定格電圧[V], 110\n二次定格電流[A], 5\n電圧変成比, 60\n電流変成比, 1\nﾊﾟﾙｽ定数[ﾊﾟﾙｽ/kWh], "
           "50000\n";
  }
};

TEST_F(TextExportTest, DayCsvByteForByte) {
  std::string expected = header("日別電力使用実績表（ 2024年2月29日分 ）");
  expected += "時刻, デマンド値[kW], 使用電力量[kWH], 最高温度[℃]\n";
  for (int k = 0; k < 48; ++k) {
    expected += formatText("%02d:%02d", k / 2, k % 2 * 30);
    // 1000 pulses: 1.2 kWh, 2.4 kW; 500 pulses: 0.6 kWh, 1.2 kW.
    expected += k == 0 ? ", 2, 1, 20\n" : k == 21 ? ", 1, 1, -4\n" : ", , ,\n";
  }
  expected += "合計, 4, 2, 16\n最大, 2, 1, 20\n最小, 1, 1, -4\n平均, 2, 1, 8\n";
  const auto path = dir / "day.csv";
  ASSERT_TRUE(writeCsv(path, history,
                       CsvRequest{Period::Day, DateTime::fromFields(2024, 2, 29), false, 50000}, storage));
  EXPECT_EQ(readFile(path), onDisk(expected));
  EXPECT_EQ(csvFileName(12, Period::Day, DateTime::fromFields(2024, 2, 29)), "日別_00012_2024_02_29.CSV");
}

// The customer name as spreadsheets read it (RFC 4180 quoting where it is needed) and with
// the bytes it is stored with; every other byte as before.
TEST_F(TextExportTest, TheCustomerNameIsQuotedWhereNeededAndKeepsItsStoredBytes) {
  const CsvRequest day{Period::Day, DateTime::fromFields(2024, 2, 29), false, 50000};
  const std::pair<std::string, std::string> cases[] = {
      {"山田", "山田"},   {"株式会社\"テスト\",本店", "\"株式会社\"\"テスト\"\",本店\""},
      {"A,B", "\"A,B\""}, {"二行\n目", "\"二行\n目\""},
      {"", ""},
  };
  for (const auto& [name, field] : cases) {
    history.device.customerName = name;
    const std::string text = csvText(history, day);
    EXPECT_NE(text.find("\n需要家名, " + field + "\nVCT"), std::string::npos) << name;
    // On disk as the text says; a line end inside the name keeps its stored bytes (a bare LF).
    if (name.find('\n') == std::string::npos) {
      EXPECT_EQ(csvBytes(history, day), onDisk(text)) << name;
    } else {
      EXPECT_NE(csvBytes(history, day).find(utf8ToCp932("需要家名, \"二行\n目\"") + "\r\n"),
                std::string::npos);
    }
  }

  // "纊" stored with its NEC-selected code EE E0 (cp932 also has it at FB FC).
  history.device.customerName = StoredText::fromCp932("\xEE\xE0\x8E\x52");
  const std::string bytes = csvBytes(history, day);
  EXPECT_NE(bytes.find(utf8ToCp932("需要家名, ") + "\xEE\xE0\x8E\x52\r\n"), std::string::npos);
  const auto path = dir / "name.csv";
  ASSERT_TRUE(writeCsv(path, history, day, storage));
  EXPECT_EQ(readFile(path), bytes);
}

TEST_F(TextExportTest, AValueThatRoundsToZeroFromBelowIsWrittenAsZero) {
  // 2024-02-10: 0 °C and -0.6 °C, so the day's average is -0.3.
  history.addReading(DateTime::fromFields(2024, 2, 10, 0, 0), 100, 0, defaults);
  history.addReading(DateTime::fromFields(2024, 2, 10, 0, 30), 100, -0.6, defaults);
  history.aggregateAll(50000);
  const std::string text =
      csvText(history, CsvRequest{Period::Day, DateTime::fromFields(2024, 2, 10), false, 50000});
  EXPECT_NE(text.find("\n平均, 0, 0, 0\n"), std::string::npos) << text.substr(text.size() - 60);
  EXPECT_EQ(text.find("-0"), std::string::npos);
}

TEST_F(TextExportTest, MonthCsvHasARowPerCalendarDayAndTheSummaries) {
  const std::string text =
      csvText(history, CsvRequest{Period::Month, DateTime::fromFields(2024, 2, 1), false, 50000});
  EXPECT_EQ(text.substr(0, header("月別電力使用実績表（ 2024年2月分 ）").size()),
            header("月別電力使用実績表（ 2024年2月分 ）"));
  EXPECT_NE(text.find("\n02/01, 木, 12345, 30, 15, 5\n"), std::string::npos);
  EXPECT_NE(text.find("\n02/02, 金, , , , \n"), std::string::npos)
      << "a day without readings keeps six fields";
  EXPECT_NE(text.find("\n02/29, 木, 1500, 2, 2, 20\n"), std::string::npos);
  EXPECT_EQ(text.find("02/30"), std::string::npos) << "a leap February has 29 rows";
  EXPECT_NE(text.find("\n合計, , 13845, 32, 17, 25\n"), std::string::npos);
  EXPECT_NE(text.find("\n最小, , 1500, 2, 2, 5\n"), std::string::npos);
  EXPECT_EQ(csvFileName(12, Period::Month, DateTime::fromFields(2024, 2, 1)), "月別_00012_2024_02.CSV");

  const std::string withDays =
      csvText(history, CsvRequest{Period::Month, DateTime::fromFields(2024, 2, 1), true, 50000});
  EXPECT_NE(withDays.find("\n29 日,---------------------------------------------------------\n時刻, "),
            std::string::npos);
  EXPECT_EQ(withDays.find("\n30 日,"), std::string::npos);

  history.loadPastMonths(12, DateTime::fromFields(2024, 4, 1), 1, env);  // April: 30 days, no file
  const std::string april =
      csvText(history, CsvRequest{Period::Month, DateTime::fromFields(2024, 4, 1), false, 50000});
  EXPECT_NE(april.find("\n04/30, 火, , , , \n"), std::string::npos);
  EXPECT_EQ(april.find("04/31"), std::string::npos);
}

// The year that ends with February 2024: December 2023 from its file, February in memory,
// the other ten months without a file.
TEST_F(TextExportTest, YearCsvByteForByte) {
  MonthRecord december = MonthRecord::makeNew(DateTime::fromFields(2023, 12, 1), defaults);
  december.days[30].header.deviceId = 12;
  addReading(december.days[30], Reading{23, 30, 50000, -2.5});  // 120 kW, 60 kWh
  store(december);
  const DateTime february = DateTime::fromFields(2024, 2, 1);
  const YearSummary year = summarizeYear(history, february, env);

  std::string expected = header("年別電力使用実績表（ 2023年3月～2024年2月 ）");
  expected += "年月, 最高デマンド[kW], 発生日時, 最低デマンド[kW], 使用電力量[kWH], 最高温度[℃], 備考\n";
  for (int m = 3; m <= 11; ++m) expected += formatText("2023/%02d, , , , , , \n", m);
  expected += "2023/12, 120, 12/31 23:30, 120, 60, -2, 年最大\n";
  expected += "2024/01, , , , , , \n";
  expected += "2024/02, 30, 02/01 23:30, 2, 17, 20, \n";  // 29.628 kW, 2.4 kW, 16.614 kWh
  expected += "最大, 120, , 120, 60, 20, \n";
  expected += "最小, 30, , 2, 17, -2, \n";
  expected += "合計, , , , 77, , \n";
  expected += "平均, 75, , 61, 38, 9, \n";
  EXPECT_EQ(csvBytes(history, CsvRequest{Period::Year, february, false, 50000, &year}), onDisk(expected));
  EXPECT_EQ(csvFileName(12, Period::Year, february), "年別_00012_2024_02.CSV");
}

// A month with no file has days without a header of their own: its CSV shows the
// device as registered (10 A here), not the 5 A the empty days were made with.
TEST_F(TextExportTest, AnEmptyMonthShowsTheRegisteredVct) {
  DeviceRecord device;
  ASSERT_TRUE(registry.find(12, device));
  device.multiplier = 120;
  device.primaryCurrent = 10;
  registry.put(device);
  history.resetForDevice(12, registry);
  history.findOrInsertMonth(DateTime::fromFields(2024, 3, 1), defaults);
  for (Period period : {Period::Day, Period::Month}) {
    const std::string text =
        csvText(history, CsvRequest{period, DateTime::fromFields(2024, 3, 4), false, 50000});
    EXPECT_NE(text.find("VCT(一次電流[A]), 10\n一次定格電圧[V], 6600\n一次定格電流[A], 10\n"),
              std::string::npos)
        << periodName(period) << "\n"
        << text;
    EXPECT_NE(text.find("電流変成比, 2\n"), std::string::npos) << periodName(period);
  }
}

TEST_F(TextExportTest, RawTextIsWhatTheReceptionReadsBack) {
  const auto path = dir / rawFileName(DateTime::fromFields(2024, 2, 1));
  EXPECT_EQ(path.filename(), "DAT_2024_02.TXT");
  ASSERT_TRUE(writeRawText(path, history, DateTime::fromFields(2024, 2, 1), storage));
  EXPECT_EQ(readFile(path),
            "00012\r\n24/02/01 23:30,12345, 05\r\n24/02/29 00:00,1000, 20\r\n24/02/29 10:30,0500, -3\r\n");
  std::vector<Reading> read;
  std::string content = readFile(path);
  std::size_t pos = 0;
  while (pos < content.size()) {
    std::size_t end = content.find("\r\n", pos);
    ParsedLine line = parseReceptionLine(content.substr(pos, end - pos));
    if (line.code == kDataLine)
      read.push_back(
          Reading{line.when.fields().hour, line.when.fields().minute, line.pulseCount, line.temperature});
    if (line.code == kIdLine) {
      EXPECT_EQ(line.deviceId, 12);
    }
    pos = end + 2;
  }
  EXPECT_EQ(read, (std::vector<Reading>{{23, 30, 12345, 5}, {0, 0, 1000, 20}, {10, 30, 500, -3}}));
}

TEST_F(TextExportTest, RawTemperaturesBeyondAnIntAreWrittenAtItsEnds) {
  const struct {
    double temperature;
    const char* written;
  } cases[] = {{1e308, "2147483647"}, {-1e308, "-2147483648"}, {HUGE_VAL, "00"}};
  for (const auto& c : cases) {
    DeviceHistory h;
    h.resetForDevice(12, registry);
    h.addReading(DateTime::fromFields(2024, 3, 1, 0, 0), 1, c.temperature, defaults);
    EXPECT_EQ(rawText(h, DateTime::fromFields(2024, 3, 1)),
              std::string("00012\n24/03/01 00:00,0001, ") + c.written + "\n")
        << c.temperature;
  }
}

TEST_F(TextExportTest, AnExportThatCannotOpenItsFileSaysWhichAndLogs) {
  std::vector<std::string> logged;
  storage.log = [&](const std::string& line) { logged.push_back(line); };
  const auto path = dir / "missing folder" / "x.csv";
  EXPECT_FALSE(writeCsv(path, history,
                        CsvRequest{Period::Day, DateTime::fromFields(2024, 2, 29), false, 50000}, storage));
  const std::string text = "OpenError\n" + path.string();
  EXPECT_EQ(reporter.texts(), std::vector<std::string>{text});
  EXPECT_EQ(logged, std::vector<std::string>{text});
}

}  // namespace
}  // namespace pelnor
