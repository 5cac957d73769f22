#include "data/app_settings.h"

#include <gtest/gtest.h>

#include <chrono>

#include "data/data_location.h"
#include "data/text.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;

class AppSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { settings.Open(dir.path(), "Pelnor"); }
  std::string settingsText() const { return cp932ToUtf8(readFile(settings.ini.Path())); }

  TempDir dir;
  CAppSettings settings;
  DataLocation location{dir.path()};
};

TEST_F(AppSettingsTest, FirstStartWritesEveryKeyWithItsDefault) {
  settings.Load("mine", location);
  settings.WriteCheckSection("1.0.0.31", "1.0.0.31");
  const std::string expected =
      "[WinInfo]\r\nSize=\r\n"
      "[Setting]\r\nProductId=\r\n設備容量(kW)=60\r\n一次定格電圧(V)=6600\r\n二次定格電圧(V)=110\r\n"
      "二次定格電流(A)=5\r\nパルス定数(ﾊﾟﾙｽ/kWH)=50000\r\n受信データの表示=1\r\n過去データ読込月数=1\r\n"
      "txtOutDir=" +
      (dir.path() / "REPORT").string() +
      "\r\nIsOutExe=1\r\ntxtOutExe=xdg-open\r\n"
      "txtValOutDir=\r\nDatCopyDir=" +
      homeFolder().string() +
      "\r\nDocDir=\r\nDocTp(0:My,1:Other)=0\r\n"
      "[グラフ属性]\r\n最高温度色=16711680\r\n最高温度太さ=3\r\n使用電力量色=255\r\n使用電力量太さ=3\r\n"
      "デマンド色=65280\r\n"
      "[Maintenance]\r\nNoneRS=0\r\nCommLog=0\r\nPRINT_PREVIEW=0\r\n"
      "[check]\r\nFileVersion=1.0.0.31\r\nProductVersion=1.0.0.31\r\n";
  EXPECT_EQ(settingsText(), expected);
  EXPECT_EQ(cp932ToUtf8(readFile(dir / "system.ini")), "[Report]\r\nCorpName=\r\nInputTitle1=事業所\r\n");
  EXPECT_EQ(settings.installationChanged, 1);
  EXPECT_EQ(settings.placementValid, 0);
  EXPECT_EQ(settings.newDeviceRatings.primaryCurrent, 5);
  EXPECT_FALSE(settings.debugMode());

  // A second start reads the same values back and changes nothing.
  CAppSettings again;
  again.Open(dir.path(), "Pelnor");
  again.Load("", location);
  EXPECT_EQ(again.installationChanged, 0);
  EXPECT_EQ(settingsText(), expected);
}

TEST_F(AppSettingsTest, FileFromAnotherInstallationRevertsExactlyFourKeys) {
  writeFile(settings.ini.Path(),
            utf8ToCp932("[WinInfo]\r\nSize=2 , 1 , -1 , -1 , -1 , -1 , 10 , 20 , 810 , 620\r\n"
                        "[Setting]\r\nProductId=theirs\r\n受信データの表示=0\r\ntxtOutDir=/"
                        "x\r\nIsOutExe=0\r\ntxtOutExe=viewer\r\n"
                        "過去データ読込月数=5\r\nDatCopyDir=/y\r\n設備容量(kW)=1200\r\n"));
  settings.Load("mine", location);
  EXPECT_EQ(settings.installationChanged, 1);
  EXPECT_EQ(settings.showReceivedData, 1);
  EXPECT_EQ(settings.csvOutDir, (dir.path() / "REPORT").string());
  EXPECT_EQ(settings.openAfterCsv, 1);
  EXPECT_EQ(settings.csvViewer, "xdg-open");
  EXPECT_EQ(settings.monthsToLoad, 5);
  EXPECT_EQ(settings.copyDir, "/y");
  EXPECT_EQ(settings.newDeviceRatings.multiplier, 1200);
  EXPECT_EQ(settings.newDeviceRatings.primaryCurrent, 100);
  EXPECT_EQ(settings.placementValid, 1);
  EXPECT_EQ(settings.windowPlacement.right, 810);

  settings.Save("mine", location);
  CAppSettings again;
  again.Open(dir.path(), "Pelnor");
  again.Load("mine", location);
  EXPECT_EQ(again.installationChanged, 0);
}

// The settings file is read once and replaced only when its bytes change: a start with
// every key present leaves the very same file; line ends of another system are still
// made CR LF, as every write of the profile functions makes them.
TEST_F(AppSettingsTest, LoadReplacesTheFileOnlyWhenItsBytesChange) {
  settings.Load("", location);
  const std::string complete = readFile(settings.ini.Path());
  // Dated back: a file written anew would bear the time of now.
  const auto longAgo = std::filesystem::last_write_time(settings.ini.Path()) - std::chrono::hours(24 * 400);
  std::filesystem::last_write_time(settings.ini.Path(), longAgo);
  CAppSettings again;
  again.Open(dir.path(), "Pelnor");
  again.Load("", location);
  EXPECT_EQ(std::filesystem::last_write_time(settings.ini.Path()), longAgo)
      << "nothing changed, so the file was not written";
  EXPECT_EQ(readFile(settings.ini.Path()), complete);

  std::string lfOnly = complete;
  for (std::size_t at = lfOnly.find("\r\n"); at != std::string::npos; at = lfOnly.find("\r\n", at))
    lfOnly.erase(at, 1);
  writeFile(settings.ini.Path(), lfOnly);
  again.Load("", location);
  EXPECT_EQ(readFile(settings.ini.Path()), complete);
}

// A settings file that takes no writes (the command line's) is read as it stands: the keys
// of another installation keep their values, since they could not be removed.
TEST_F(AppSettingsTest, ASettingsFileThatTakesNoWritesIsReadAsItStands) {
  const std::string stored =
      utf8ToCp932("[Setting]\r\nProductId=theirs\r\n受信データの表示=0\r\nIsOutExe=0\r\n");
  writeFile(settings.ini.Path(), stored);
  settings.ini.setReadOnly(true);
  settings.Load("mine", location);
  EXPECT_EQ(settings.installationChanged, 1);
  EXPECT_EQ(settings.showReceivedData, 0);
  EXPECT_EQ(settings.openAfterCsv, 0);
  EXPECT_EQ(readFile(settings.ini.Path()), stored);
  EXPECT_FALSE(std::filesystem::exists(dir / "system.ini"));
}

TEST_F(AppSettingsTest, OddValues) {
  writeFile(settings.ini.Path(),
            "[WinInfo]\r\nSize=2 , 1 , -1 , -1 , -1 , -1 , 10 , 20 , 810\r\n"
            "[Setting]\r\nDocTp(0:My,1:Other)=2\r\nDocDir=  /some/where  "
            "\r\n\x83\x70\x83\x8B\x83\x58\x92\xE8\x90\x94(\xCA\xDF\xD9\xBD/kWH)=abc\r\n"
            "[Maintenance]\r\nNoneRS=1\r\n");
  settings.Load("", location);
  EXPECT_EQ(settings.placementValid, 0);
  EXPECT_EQ(settings.pulseConstant, 0);
  EXPECT_TRUE(settings.debugMode());
  EXPECT_FALSE(location.isOwn());
  EXPECT_EQ(location.otherPath(), "/some/where");

  settings.Save("", location);
  CIniFile& ini = settings.ini;
  EXPECT_EQ(ini.GetInt("Setting", "DocTp(0:My,1:Other)", -1), 1);
}

TEST_F(AppSettingsTest, SaveWritesItsKeysInOrder) {
  settings.windowPlacement = WindowPlacement{44, 2, 3, -1, -2, -3, -4, 10, 20, 810, 620};
  settings.showReceivedData = 0;
  settings.monthsToLoad = 12;
  settings.csvOutDir = "/out";
  settings.openAfterCsv = 0;
  settings.csvViewer = "less";
  settings.rawOutDir = "/raw";
  settings.copyDir = "/copy";
  settings.maxTempColor = 4294967295u;
  settings.maxTempWidth = 1;
  settings.energyColor = 1;
  settings.energyWidth = 2;
  settings.demandColor = 3;
  location.setOtherPath("/other");
  settings.Save("id", location);
  EXPECT_EQ(
      settingsText(),
      "[WinInfo]\r\nSize=2 , 3 , -1 , -2 , -3 , -4 , 10 , 20 , 810 , 620\r\n"
      "[Setting]\r\nProductId=id\r\n受信データの表示=0\r\n過去データ読込月数=12\r\ntxtOutDir=/out\r\n"
      "IsOutExe=0\r\ntxtOutExe=less\r\ntxtValOutDir=/raw\r\nDatCopyDir=/copy\r\nDocDir=/other\r\n"
      "DocTp(0:My,1:Other)=1\r\n"
      "[グラフ属性]\r\n最高温度色=4294967295\r\n最高温度太さ=1\r\n使用電力量色=1\r\n使用電力量太さ=2\r\n"
      "デマンド色=3\r\n");
}

TEST_F(AppSettingsTest, SerialPortPaths) {
  writeFile(settings.ini.Path(), "[SerialPorts]\r\nCOM3=/dev/pts/4\r\nCOM1=\r\nCOM2=  \r\n");
  EXPECT_EQ(settings.serialDevicePath(3), "/dev/pts/4");
  for (int port : {4, 5, 12, 13, 20, 21}) EXPECT_EQ(settings.serialDevicePath(port), fixedPortPath(port));
  // An entry left empty is not set: not the fixed rule's device, which may be the console.
  EXPECT_EQ(settings.serialDevicePath(1), "");
  EXPECT_EQ(settings.serialDevicePath(2), "");
}

TEST(FixedPortPath, TheRuleOfThisPlatform) {
  const std::pair<int, std::string> cases[] = {
#ifdef _WIN32
      {1, "\\\\.\\COM1"}, {9, "\\\\.\\COM9"}, {12, "\\\\.\\COM12"}, {20, "\\\\.\\COM20"}, {0, ""},
#else
      {1, "/dev/ttyS0"},
      {4, "/dev/ttyS3"},
      {5, "/dev/ttyUSB0"},
      {12, "/dev/ttyUSB7"},
      {13, "/dev/ttyACM0"},
      {20, "/dev/ttyACM7"},
      {21, ""},
      {0, ""},
#endif
  };
  for (const auto& [port, path] : cases) EXPECT_EQ(fixedPortPath(port), path) << port;
}

}  // namespace
}  // namespace pelnor
