#include "data/data_erase.h"

#include <gtest/gtest.h>

#include "support/scripted_reporter.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;
namespace fs = std::filesystem;

ScriptedReporter reporter;
const StorageContext storage{reporter, DeviceDefaults{}, OpenRetry{10, 300, 300}, false};

// Erasing removes exactly the folder it names, never what lies beside, above or behind it.
TEST(DataErase, RemovesExactlyTheDevicesFolder) {
  TempDir dir;
  DataLocation location(dir.path());
  for (int id : {12, 13}) {
    fs::create_directories(location.deviceFolder(id));
    writeFile(location.deviceFolder(id) / "D202401.dmd", "x");
  }

  EXPECT_TRUE(eraseDeviceData(location, 12, storage).ok);
  EXPECT_FALSE(fs::exists(location.deviceFolder(12)));
  EXPECT_TRUE(fs::exists(location.deviceFolder(13) / "D202401.dmd"));
  EXPECT_TRUE(eraseDeviceData(location, 12, storage).ok) << "a folder that is gone is fine";

  EraseResult refused = eraseDeviceData(location, -1, storage);
  EXPECT_FALSE(refused.ok);
  EXPECT_TRUE(fs::exists(location.dataFolder()));

  DataLocation trailing(dir.path().string() + "/");
  EXPECT_TRUE(eraseAllData(trailing, storage).ok);
  EXPECT_FALSE(fs::exists(location.dataFolder()));
  EXPECT_TRUE(fs::exists(dir.path()));
}

TEST(DataErase, ALinkedDeviceFolderLosesOnlyTheLink) {
  TempDir dir;
  DataLocation location(dir.path());
  TempDir elsewhere;
  writeFile(elsewhere / "D202401.dmd", "kept");
  fs::create_directories(location.dataFolder());
  std::error_code ec;
  fs::create_directory_symlink(elsewhere.path(), location.deviceFolder(14), ec);
  if (ec) GTEST_SKIP() << "this system does not let the user make links: " << ec.message();

  EXPECT_TRUE(eraseDeviceData(location, 14, storage).ok);
  EXPECT_FALSE(fs::exists(fs::symlink_status(location.deviceFolder(14))));
  EXPECT_EQ(readFile(elsewhere / "D202401.dmd"), "kept") << "a linked folder's readings stay";
}

TEST(DataErase, AFailureIsReportedWithThePath) {
  TempDir dir;
  DataLocation location(dir.path());
  std::string longRoot = dir.path().string() + "/" + std::string(250, 'a');
  fs::create_directories(DataLocation(longRoot).deviceFolder(12));
  EraseResult tooLong = eraseDeviceData(DataLocation(longRoot), 12, storage);
  EXPECT_FALSE(tooLong.ok);
  EXPECT_NE(tooLong.failure.find(longRoot), std::string::npos);
  EXPECT_TRUE(fs::exists(DataLocation(longRoot).deviceFolder(12)));
}

}  // namespace
}  // namespace pelnor
