// pelnor-cli dump, restore and show: they refuse what they cannot do exactly, and say why.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>

#include "data/text.h"
#include "data/year_summary.h"
#include "support/cli_runner.h"
#include "support/file_fixtures.h"

namespace pelnor {
namespace {

using namespace test;
using Json = nlohmann::ordered_json;

class CliFilesTest : public ::testing::Test {
 protected:
  static Json fixture(const char* name) {
    return Json::parse(readFile(std::filesystem::path(PELNOR_FIXTURES) / name));
  }

  TempDir dir;
  CliRunner cli{dir.path()};
};

TEST_F(CliFilesTest, RestoreRefusesValuesThatDoNotFitAndWritesNothing) {
  struct Case {
    const char* fixture;
    const char* pointer;  // where the value goes
    Json value;
    const char* named;  // how the message names the place
  } cases[] = {
      {"master.json", "/devices/0/deviceId", 4294967297, "$.devices[0].deviceId"},
      {"master.json", "/devices/0/multiplier", 120.9, "$.devices[0].multiplier"},
      {"master.json", "/devices/1/pulseConstant", true, "$.devices[1].pulseConstant"},
      {"master.json", "/commSettings/6", 1, "$.commSettings"},
      // The characters cp932 lacks are named, as the window names them.
      {"master.json", "/devices/0/customerName", "Müller 😀",
       "$.devices[0].customerName: \"Müller 😀\" holds a character that cp932 cannot hold: ü 😀"},
      {"master.json", "/report/demandKw", "a lot", "$.report.demandKw"},
      {"month.json", "/days/3/readings/-",
       Json{{"hour", 1}, {"minute", 0}, {"pulseCount", -2147483649LL}, {"temperature", 1}},
       "$.days[3].readings[0].pulseCount"},
      {"month.json", "/month/status", Json(nullptr), "$.month.status"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    Json json = fixture(c.fixture);
    json[Json::json_pointer(c.pointer)] = c.value;
    writeFile(dir / "in.json", json.dump());
    EXPECT_EQ(cli.run({"restore", (dir / "in.json").string(), (dir / "out.bin").string()}), 1);
    EXPECT_NE(cli.output().find(c.named), std::string::npos) << cli.output();
    EXPECT_FALSE(std::filesystem::exists(dir / "out.bin"));
  }
  // A month of 30 days is not what a file holds.
  Json month = fixture("month.json");
  month["days"].erase(30);
  writeFile(dir / "in.json", month.dump());
  EXPECT_EQ(cli.run({"restore", (dir / "in.json").string(), (dir / "out.bin").string()}), 1);
  EXPECT_NE(cli.output().find("$.days"), std::string::npos);
}

// A restore into a data root holds the lock as any save there, and clears what saves
// that were killed left; a file elsewhere is no business of a lock, nor are its neighbours.
TEST_F(CliFilesTest, RestoreIntoADataRootClearsWhatKilledSavesLeft) {
  const std::filesystem::path device = dir / "DATA" / "00012";
  const std::filesystem::path elsewhere = dir / "elsewhere";
  std::filesystem::create_directories(device);
  std::filesystem::create_directories(elsewhere);
  const std::filesystem::path left[] = {device / "D202404.dmd.a1B2c3", device / "D202405.dmd.Zz9Yy8",
                                        dir / "MCDATA.MST.q1w2e3"};
  for (const std::filesystem::path& temporary : left) writeFile(temporary, "half");
  writeFile(device / "notes.txt", "the user's");
  writeFile(elsewhere / "D202404.dmd.a1B2c3", "not in a data root");
  const std::string month = (std::filesystem::path(PELNOR_FIXTURES) / "month.json").string();
  const std::string master = (std::filesystem::path(PELNOR_FIXTURES) / "master.json").string();

  ASSERT_EQ(cli.run({"restore", month, (device / "D202404.dmd").string()}), 0) << cli.output();
  ASSERT_EQ(cli.run({"restore", master, (dir / "MCDATA.MST").string()}), 0) << cli.output();
  ASSERT_EQ(cli.run({"restore", month, (elsewhere / "D202404.dmd").string()}), 0) << cli.output();
  for (const std::filesystem::path& temporary : left)
    EXPECT_FALSE(std::filesystem::exists(temporary)) << temporary;
  EXPECT_EQ(readFile(device / "notes.txt"), "the user's");
  EXPECT_TRUE(std::filesystem::exists(elsewhere / "D202404.dmd.a1B2c3"));
}

TEST_F(CliFilesTest, RestoreRefusesDeepNestingBeforeGoingDownIt) {
  auto nested = [](int levels) {
    Json value = 1;
    for (int i = 0; i < levels; ++i) value = Json::array({value});
    return value;
  };
  auto withNotes = [&](int levels) {
    Json json = fixture("master.json");
    json["report"]["notes"] = nested(levels);  // the document and its report are two levels
    return json.dump();
  };
  std::string objects;
  for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
  objects += "1" + std::string(100000, '}');
  const struct Case {
    const char* name;
    std::string text;
    bool tooDeep;
  } cases[] = {
      {"arrays", std::string(100000, '[') + std::string(100000, ']'), true},
      {"objects", objects, true},
      {"64 levels", withNotes(62), false},
      {"65 levels", withNotes(63), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(dir / "in.json", c.text);
    EXPECT_EQ(cli.run({"restore", (dir / "in.json").string(), (dir / "out.bin").string()}), 1);
    const std::string said = cli.output();
    EXPECT_EQ(said.find("nested deeper than 64 levels") != std::string::npos, c.tooDeep)
        << said.substr(0, 300);
    if (!c.tooDeep) {
      EXPECT_NE(said.find("$.report.notes"), std::string::npos) << said.substr(0, 300);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out.bin"));
  }
}

TEST_F(CliFilesTest, NotANumberAndInfinityMakeTheRoundTrip) {
  Bytes b;
  b.str("49406515574540654105456475894510154020030901").i32(3).i32(0).f64(45383.0);
  b.i32(1).i32(99).i32(99).i32(99).str("").str("").str("").str("");
  b.f64(HUGE_VAL).f64(-HUGE_VAL).f64(std::nan("")).f64(0).i32(99).str("");
  b.u16(31);
  for (int d = 0; d < 31; ++d) {
    deviceBytes(b, 3, 12, "A");
    if (d == 0) {
      b.u16(2).i32(10).i32(0).i32(30).f64(std::nan("")).i32(10).i32(30).i32(12).f64(19);
    } else {
      b.u16(0);
    }
  }
  writeFile(dir / "D202404.dmd", b);
  ASSERT_EQ(cli.run({"dump", "--aggregate", (dir / "D202404.dmd").string()}), 0) << cli.output();
  Json json = Json::parse(cli.output());
  EXPECT_EQ(json["days"][0]["readings"][0]["temperature"], "NaN");
  EXPECT_EQ(json["report"]["totalTransformerKva"], "Infinity");
  EXPECT_EQ(json["report"]["singlePhaseKva"], "-Infinity");
  EXPECT_EQ(json["temperatureStats"]["max"]["temperature"], 19.0) << "NaN stays out of the statistics";

  ASSERT_EQ(cli.run({"dump", (dir / "D202404.dmd").string()}), 0);
  writeFile(dir / "month.json", cli.output());
  ASSERT_EQ(cli.run({"restore", (dir / "month.json").string(), (dir / "again.dmd").string()}), 0)
      << cli.output();
  EXPECT_EQ(readFile(dir / "again.dmd"), std::string(b));
}

TEST_F(CliFilesTest, DumpTellsTheKindByTheStartThenTheNameOrAsks) {
  const std::string month = monthFileBytes(3);
  const std::string damagedStart = "\x2CXXXX" + month.substr(5, 200);  // the signature broken
  struct Case {
    const char* name;
    std::string bytes;
    int exit;
    const char* says;
  } cases[] = {
      {"D202404.dmd", damagedStart, 1, "ファイルが壊れている可能性があります"},
      {"MCDATA.MST", damagedStart, 1, "ｱｰｶｲﾌﾞ異常"},
      {"copy.bin", month, 0, "\"kind\": \"month\""},
      {"master.bin", masterFileBytes(3), 0, "\"kind\": \"master\""},
      {"some.bin", damagedStart, 1, "--kind"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::create_directories(dir / "files");
    writeFile(dir / "files" / c.name, c.bytes);
    EXPECT_EQ(cli.run({"dump", (dir / "files" / c.name).string()}), c.exit);
    EXPECT_NE(cli.output().find(c.says), std::string::npos) << cli.output();
    if (c.exit != 0) {
      EXPECT_EQ(cli.output().find('{'), std::string::npos) << "nothing printed";
    }
  }
}

TEST_F(CliFilesTest, ShowRefusesWhatItCannotShow) {
  writeFile(dir / "MCDATA.MST", masterFileBytes(3));  // devices 5 and 12
  writeFile(dir / "Pelnor.INI", "");
  struct Case {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"--device", "abc", "--month", "2024-04"}, "--device"},
      {{"--device", "12x", "--month", "2024-04"}, "--device"},
      {{"--device", "99", "--month", "2024-04"}, "not registered"},
      {{"--device", "12", "--month", "2024-4"}, "--month"},
      {{"--device", "12", "--month", "2024-13"}, "--month"},
      {{"--device", "12", "--month", "2024-04", "--months", "99x"}, "--months"},
      {{"--device", "12", "--month", "2024-04", "--months", "0"}, "--months"},
      {{"--device", "12", "--month", "2024-04", "--months", "100"}, "--months"},
      {{"--device", "12", "--month", "0100-02", "--months", "3"}, "year 100"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"show"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(testing::PrintToString(c.args));
    EXPECT_EQ(cli.run(args), 2);
    EXPECT_NE(cli.output().find(c.says), std::string::npos) << cli.output();
  }
  EXPECT_EQ(cli.run({"show", "--device", "12", "--month", "0100-02", "--months", "2"}), 0) << cli.output();
}

TEST_F(CliFilesTest, DemoFillsOnlyAnEmptyRootAndRenderPaintsIt) {
  writeFile(dir / "Pelnor.INI", "");
  ASSERT_EQ(cli.run({"demo"}), 0) << cli.output();
  const std::string master = readFile(dir / "MCDATA.MST");
  EXPECT_EQ(cli.run({"demo"}), 1) << "a root with a device master is left alone";
  EXPECT_EQ(readFile(dir / "MCDATA.MST"), master);
  EXPECT_NE(cli.output().find("MCDATA.MST"), std::string::npos);

  // Four months of device 100, the last one the current month.
  ASSERT_EQ(cli.run({"show", "--device", "100", "--month", thisMonth(), "--months", "4"}), 0) << cli.output();
  Json shown = Json::parse(cli.output());
  for (const Json& month : shown["months"]) {
    if (month["month"] != thisMonth()) {
      EXPECT_GT(month["pulseStats"]["count"], 27) << month["month"];
    }
  }

  const std::string png = (dir / "graph.png").string();
  ASSERT_EQ(cli.run({"render", "--device", "100", "--date", thisMonth(), "--view", "graph", "--size",
                     "800x600", "--out", png}),
            0)
      << cli.output();
  const std::string bytes = readFile(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  auto bigEndian = [&](std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
  };
  EXPECT_EQ(bigEndian(16), 800);
  EXPECT_EQ(bigEndian(20), 600);
  EXPECT_EQ(cli.run({"render", "--device", "55", "--date", "2024-01", "--view", "graph", "--out", png}), 2);
  EXPECT_EQ(cli.run({"render", "--device", "100", "--date", "2024-13", "--view", "graph", "--out", png}), 2);
}

// The year view without a window: twelve months that end with this month, four of them
// the demonstration's.
TEST_F(CliFilesTest, TheYearFromTheCommandLine) {
  writeFile(dir / "Pelnor.INI", "");
  ASSERT_EQ(cli.run({"demo"}), 0) << cli.output();
  const std::string csv = (dir / "year.csv").string();
  ASSERT_EQ(cli.run({"export-csv", "--device", "100", "--date", thisMonth(), "--kind", "year", "--out", csv}),
            0)
      << cli.output();
  const std::string text = cp932ToUtf8(readFile(csv));
  EXPECT_EQ(text.substr(0, text.find("\r\n")),
            "年別電力使用実績表（ " +
                yearPeriodText(DateTime::fromFields(std::stoi(thisMonth().substr(0, 4)),
                                                    std::stoi(thisMonth().substr(5)), 1)) +
                " ）");
  int months = 0, withData = 0, peaks = 0;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) {
    const std::string line = text.substr(at + 2, text.find("\r\n", at + 2) - at - 2);
    if (line.size() < 8 || line[4] != '/' || line[7] != ',') continue;
    ++months;
    withData += line.substr(7, 4) != ", , ";
    peaks += line.find("年最大") != std::string::npos;
  }
  EXPECT_EQ(months, 12);
  EXPECT_EQ(withData, 4);
  EXPECT_EQ(peaks, 1);
  EXPECT_EQ(cli.run({"export-csv", "--device", "100", "--date", thisMonth(), "--kind", "day", "--out", csv}),
            2)
      << "a day is a date with its day";

  const std::string png = (dir / "year.png").string();
  ASSERT_EQ(cli.run({"render", "--device", "100", "--date", thisMonth(), "--kind", "year", "--view", "graph",
                     "--size", "640x480", "--out", png}),
            0)
      << cli.output();
  EXPECT_EQ(readFile(png).substr(1, 3), "PNG");
  const std::string pdf = (dir / "year.pdf").string();
  ASSERT_EQ(cli.run({"print", "--device", "100", "--kind", "year", "--from", thisMonth() + "-01", "--to",
                     thisMonth(), "--pdf", pdf}),
            0)
      << cli.output();
  EXPECT_NE(cli.output().find("1 pages written"), std::string::npos) << cli.output();
  EXPECT_EQ(readFile(pdf).substr(0, 4), "%PDF");
}

TEST_F(CliFilesTest, PrintExportAndCopyFromTheCommandLine) {
  writeFile(dir / "Pelnor.INI", "");
  ASSERT_EQ(cli.run({"demo"}), 0);
  // A PDF of three days: three pages, each with its day's title.
  const std::string pdf = (dir / "days.pdf").string();
  ASSERT_EQ(cli.run({"print", "--device", "100", "--kind", "day", "--from", thisMonth() + "-01", "--to",
                     thisMonth() + "-03", "--pdf", pdf}),
            0)
      << cli.output();
  ASSERT_EQ(std::system(("pdftotext " + pdf + " " + (dir / "days.txt").string()).c_str()), 0);
  const std::string text = readFile(dir / "days.txt");
  for (int day = 1; day <= 3; ++day) {
    const std::string title = "日別電力使用実績表（ " + std::to_string(std::stoi(thisMonth().substr(0, 4))) +
                              "年" + std::to_string(std::stoi(thisMonth().substr(5))) + "月" +
                              std::to_string(day) + "日分 ）";
    EXPECT_NE(text.find(title), std::string::npos) << title;
  }
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 3) << "three pages";

  // The raw text of a month is read back by import as the same readings.
  const std::string raw = (dir / "month.txt").string();
  ASSERT_EQ(cli.run({"export-raw", "--device", "100", "--month", thisMonth(), "--out", raw}), 0)
      << cli.output();
  ASSERT_EQ(cli.run({"dump", (dir / "DATA" / "00100" /
                              ("D" + thisMonth().substr(0, 4) + thisMonth().substr(5) + ".dmd"))
                                 .string()}),
            0);
  const std::string before = cli.output();
  ASSERT_EQ(cli.run({"import", raw, "--yes"}), 0) << cli.output();
  ASSERT_EQ(cli.run({"dump", (dir / "DATA" / "00100" /
                              ("D" + thisMonth().substr(0, 4) + thisMonth().substr(5) + ".dmd"))
                                 .string()}),
            0);
  EXPECT_EQ(cli.output(), before) << "the same readings, headers and report";

  const std::string csv = (dir / "month.csv").string();
  ASSERT_EQ(cli.run({"export-csv", "--device", "100", "--date", thisMonth(), "--with-days", "--out", csv}),
            0);
  EXPECT_EQ(readFile(csv).substr(0, 4), "\x8C\x8E\x95\xCA") << "月別 in cp932";

  TempDir other;
  ASSERT_EQ(cli.run({"copy", "--device", "100", "--to", other.path().string(), "--yes"}), 0) << cli.output();
  EXPECT_TRUE(std::filesystem::exists(other / "MCDATA.MST"));
  EXPECT_EQ(cli.run({"copy", "--device", "100", "--to", dir.path().string(), "--yes"}), 1)
      << "never onto itself";
  const std::filesystem::path inside = dir / "DATA" / "00101";
  EXPECT_EQ(cli.run({"copy", "--device", "100", "--to", inside.string(), "--yes"}), 1) << "nor into itself";
  EXPECT_NE(cli.output().find("コピー先がこのソフトのデータの場所の中にあります\n" + inside.string()),
            std::string::npos)
      << cli.output();
  EXPECT_FALSE(std::filesystem::exists(inside));
}

}  // namespace
}  // namespace pelnor
