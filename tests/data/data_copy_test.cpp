#include "data/data_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/child_process.h"
#include "support/data_root_test.h"

namespace pelnor {
namespace {

using namespace test;
namespace fs = std::filesystem;

class DataCopyTest : public DataRootTest {
 protected:
  DataCopyTest() {
    registerDevice(13, "十三");
    for (int32_t id : {12, 13}) {
      fs::create_directories(location.deviceFolder(id));
      writeFile(location.deviceFolder(id) / "D202401.dmd", "month of " + std::to_string(id));
    }
  }
  bool copy(int32_t id, const fs::path& to) {
    return copyDeviceData(location, registry, id, to.string(), storage);
  }
  std::vector<int32_t> devicesAt(const fs::path& root) {
    DeviceRegistry r;
    r.load(root, storage);
    std::vector<int32_t> ids;
    for (int i = 0; i < r.count(); ++i) ids.push_back(r.deviceAt(i).deviceId);
    return ids;
  }

  TempDir target;
};

TEST_F(DataCopyTest, CopiesIntoAnEmptyFolderThenAddsASecondDevice) {
  ASSERT_TRUE(copy(12, target.path()));
  EXPECT_EQ(readFile(DataLocation(target.path()).deviceFolder(12) / "D202401.dmd"), "month of 12");
  EXPECT_EQ(devicesAt(target.path()), std::vector<int32_t>{12});
  EXPECT_EQ(reporter.texts().back(), "コピーは正常に行われました");
  ASSERT_TRUE(copy(13, target.path()));
  EXPECT_EQ(devicesAt(target.path()), (std::vector<int32_t>{12, 13}));
  EXPECT_TRUE(fs::exists(DataLocation(target.path()).deviceFolder(12)));
}

TEST_F(DataCopyTest, TheSameDeviceAgainAsksAndReplacesTheFolderWhole) {
  ASSERT_TRUE(copy(12, target.path()));
  const fs::path copied = DataLocation(target.path()).deviceFolder(12);
  writeFile(copied / "D202312.dmd", "gone from the source");
  writeFile(location.deviceFolder(12) / "D202401.dmd", "newer");

  reporter.answer(Reporter::Answer::No);
  EXPECT_FALSE(copy(12, target.path()));
  EXPECT_EQ(reporter.texts().back(), "既にコピー先に存在します\n上書きしますか\n機器ＩＤ：12");
  EXPECT_TRUE(fs::exists(copied / "D202312.dmd"));

  reporter.answer(Reporter::Answer::Yes);
  ASSERT_TRUE(copy(12, target.path()));
  EXPECT_FALSE(fs::exists(copied / "D202312.dmd"));
  EXPECT_EQ(readFile(copied / "D202401.dmd"), "newer");
  EXPECT_EQ(std::distance(fs::directory_iterator(copied.parent_path()), fs::directory_iterator()), 1)
      << "no temporary folder is left";
}

TEST_F(DataCopyTest, DestinationsThatWouldLoseTheReadingsAreRefused) {
  const fs::path refused[] = {dir.path(), location.deviceFolder(12) / "backup", location.dataFolder()};
  for (const fs::path& to : refused) {
    EXPECT_FALSE(copy(12, to)) << to;
    EXPECT_EQ(reporter.messages().back().kind, "error");
  }
  EXPECT_EQ(readFile(location.deviceFolder(12) / "D202401.dmd"), "month of 12");
  EXPECT_FALSE(copy(12, "   "));
  EXPECT_EQ(reporter.texts().back(), "コピー先を入力してください");
}

// A root inside the own one would sit in what is, or will be, a device's folder of it.
TEST_F(DataCopyTest, ADestinationInsideTheOwnRootIsRefused) {
  const fs::path inside[] = {location.deviceFolder(101), dir / "backup",
                             location.dataFolder() / "copy" / "root"};
  for (const fs::path& to : inside) {
    SCOPED_TRACE(to.string());
    EXPECT_FALSE(copy(12, to));
    EXPECT_EQ(reporter.messages().back().kind, "error");
    EXPECT_EQ(reporter.texts().back(), "コピー先がこのソフトのデータの場所の中にあります\n" + to.string() +
                                           "\n別のフォルダを指定してください");
    EXPECT_FALSE(fs::exists(to));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(location.dataFolder()), fs::directory_iterator()), 2)
      << "no folder but the two devices' own";
}

TEST_F(DataCopyTest, AMissingFolderIsMadeOnlyAfterYes) {
  const fs::path to = target / "new" / "root";
  reporter.answer(Reporter::Answer::No);
  EXPECT_FALSE(copy(12, to));
  EXPECT_FALSE(fs::exists(to));
  reporter.answer(Reporter::Answer::Yes);
  EXPECT_TRUE(copy(12, to));
  EXPECT_TRUE(fs::exists(DataLocation(to).deviceFolder(12) / "D202401.dmd"));
}

TEST_F(DataCopyTest, CopiesNeitherOutsideFilesThroughLinksNorLeftoversNorLocks) {
  TempDir outside;
  writeFile(outside / "secret", "outside the device folder");
  fs::create_directories(outside / "folder");
  writeFile(outside / "folder" / "D202402.dmd", "outside too");
  const fs::path source = location.deviceFolder(12);
  fs::create_symlink(outside / "secret", source / "D202403.dmd");
  fs::create_directory_symlink(outside / "folder", source / "more");
  const char* leftovers[] = {"D202401.dmd.a1B2c3", "D202401.dmd.4242-0.tmp", "DEVICE.LCK"};
  for (const char* name : leftovers) writeFile(source / name, "not data");

  ASSERT_TRUE(copy(12, target.path()));
  const fs::path copied = DataLocation(target.path()).deviceFolder(12);
  EXPECT_EQ(readFile(copied / "D202401.dmd"), "month of 12");
  for (const char* link : {"D202403.dmd", "more"}) {
    SCOPED_TRACE(link);
    EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(copied / link))) << "the outside file was copied";
    EXPECT_FALSE(fs::is_directory(fs::symlink_status(copied / link))) << "the outside folder was copied";
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(copied / link))) << "a link is copied as a link";
  }
  for (const char* name : leftovers) EXPECT_FALSE(fs::exists(copied / name)) << name;
}

TEST_F(DataCopyTest, ACopyThatFailsHalfWayLeavesTheOldTargetWhole) {
  ASSERT_TRUE(copy(12, target.path()));
  const fs::path copied = DataLocation(target.path()).deviceFolder(12);
  // A month that an ordinary user cannot read stops the copy half way.
  writeFile(location.deviceFolder(12) / "D202402.dmd", "unreadable");
  ::chmod((location.deviceFolder(12) / "D202402.dmd").c_str(), 0);
  for (const fs::path& p : {dir.path(), target.path()}) ::chmod(p.c_str(), 0755);
  if (::getuid() == 0) {
    for (const auto& entry : fs::recursive_directory_iterator(target.path())) {
      ASSERT_EQ(::chown(entry.path().c_str(), kOrdinaryUser, kOrdinaryUser), 0);
    }
    ASSERT_EQ(::chown(target.path().c_str(), kOrdinaryUser, kOrdinaryUser), 0);
  }
  auto result = runInChild(
      [&] {
        ScriptedReporter r;
        r.answer(Reporter::Answer::Yes);
        StorageContext c{r, defaults, OpenRetry{10, 100, 100}, false};
        const bool ok = copyDeviceData(location, registry, 12, target.path().string(), c);
        return std::string(ok ? "1" : "0") + "|" + r.texts().back();
      },
      ChildLimits{true, -1});
  ASSERT_TRUE(result);
  EXPECT_EQ(result->substr(0, 2), "0|");
  EXPECT_NE(result->find("コピー出来ませんでした"), std::string::npos) << *result;
  EXPECT_EQ(readFile(copied / "D202401.dmd"), "month of 12") << "the old target is whole";
  EXPECT_FALSE(fs::exists(copied.string() + ".copying"));
}

}  // namespace
}  // namespace pelnor
