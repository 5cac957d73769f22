#include "data/data_location.h"

#include <gtest/gtest.h>

#include "support/scripted_reporter.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;

TEST(DataLocation, OtherPathSelectsViewModeUnlessItIsTheOwnRoot) {
  TempDir dir;
  DataLocation location(dir.path());
  struct Case {
    std::string text;
    int mode;
    std::string stored;
  } cases[] = {
      {"   ", DataLocation::kOwn, ""},
      {dir.path().string(), DataLocation::kOwn, dir.path().string()},
      {" " + dir.path().string() + "/ ", DataLocation::kOwn, dir.path().string() + "/"},
      {"/somewhere/else", DataLocation::kOther, "/somewhere/else"},
  };
  for (const Case& c : cases) {
    location.setOtherPath(c.text);
    EXPECT_EQ(location.mode(), c.mode) << c.text;
    EXPECT_EQ(location.otherPath(), c.stored);
  }
  EXPECT_EQ(location.root(), "/somewhere/else");
  EXPECT_EQ(location.label(), "/somewhere/else");
  location.setMode(DataLocation::kOwn);
  EXPECT_EQ(location.label(), "自分 （このソフトが管理している場所）");
}

// The text a user typed names the folder whatever the system's code page (on Windows a
// path made from plain bytes takes them in the code page, not as UTF-8).
TEST(DataLocation, AFolderNamedInJapaneseIsThatFolder) {
  TempDir dir;
  DataLocation location(dir.path());
  location.setOtherPath(pathText(dir.path() / pathFromText("需要データ")));
  ASSERT_TRUE(DataLocation::createFolderPath(location.dataFolder()));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.push_back(pathText(entry.path().filename()));
  EXPECT_EQ(names, std::vector<std::string>{"需要データ"});
  EXPECT_EQ(location.label(), pathText(dir.path() / pathFromText("需要データ")));
}

TEST(DataLocation, Names) {
  DataLocation location("/root");
  EXPECT_EQ(location.masterFile(), "/root/MCDATA.MST");
  EXPECT_EQ(location.deviceFolder(123), "/root/DATA/00123");
  EXPECT_EQ(location.deviceFolder(123456), "/root/DATA/123456");
  EXPECT_EQ(location.monthFile(7, DateTime::fromFields(2024, 3, 15, 10, 30)), "/root/DATA/00007/D202403.dmd");
  EXPECT_EQ(location.monthFile(7, DateTime(DateTime::kInvalid, 0)), "/root/DATA/00007/D-001-1.dmd");
}

TEST(DataLocation, CreateFolderPathAndChoosingALocation) {
  TempDir dir;
  EXPECT_FALSE(DataLocation::createFolderPath(""));
  EXPECT_TRUE(DataLocation::createFolderPath(dir / "a/b/c"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b/c"));
  writeFile(dir / "file", "x");
  EXPECT_FALSE(DataLocation::createFolderPath(dir / "file/sub"));

  DataLocation location(dir / "own");
  ScriptedReporter reporter;
  EXPECT_FALSE(location.choose((dir / "a").string(), false, reporter));
  EXPECT_TRUE(location.isOwn());
  EXPECT_EQ(reporter.beeps, 1);
  ASSERT_EQ(reporter.messages().size(), 1u);
  EXPECT_EQ(reporter.messages()[0].kind, "error");
  EXPECT_EQ(reporter.messages()[0].text, "データが存在しません\n自分（このソフト管理場所）に変えます");

  writeFile(dir / "a/MCDATA.MST", "");
  EXPECT_TRUE(location.choose((dir / "a").string(), false, reporter));
  EXPECT_FALSE(location.isOwn());
  EXPECT_EQ(location.root(), dir / "a");

  std::filesystem::remove(dir / "a/MCDATA.MST");
  location.fallBackToOwnWithoutMaster();
  EXPECT_TRUE(location.isOwn());
  EXPECT_EQ(location.otherPath(), (dir / "a").string());
}

}  // namespace
}  // namespace pelnor
