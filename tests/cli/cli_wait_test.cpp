// pelnor-cli and a lock another program holds: --wait 0 fails at once naming what could
// not be saved, --wait N says once which file it waits for, and neither writes anything.
#include <gtest/gtest.h>

#include <map>

#include "data/device_registry.h"
#include "data/file_lock.h"
#include "data/held_file_retry.h"
#include "data/path_text.h"
#include "support/cli_runner.h"
#include "support/held_file.h"
#include "support/scripted_reporter.h"

namespace pelnor {
namespace {

using namespace test;

constexpr const char* kBusy = "他のプログラムがデータを更新中のため、保存出来ません\n";

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class CliWaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeviceRegistry registry;
    DeviceRecord device;
    device.deviceId = 12;
    registry.put(device);
    ASSERT_TRUE(registry.save(dir.path(), storage));
    writeFile(dir / "Pelnor.INI", "[Setting]\r\n");
    writeFile(dir / "in.txt", "12\r\n24/01/31 23:30,0040,20\r\n");
    std::filesystem::create_directories(dir / "DATA" / "00012");
    std::filesystem::create_directories(dir / "empty");
  }

  // Every file under the folder with its bytes: whatever a command wrote there, but not
  // its output, its logs or the lock files.
  std::map<std::string, std::string> contents(const std::filesystem::path& folder) const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (!entry.is_regular_file() || name == "out.txt" || name.starts_with("Pelnor") ||
          name.ends_with(".LCK"))
        continue;
      files[entry.path().string()] = readFile(entry.path());
    }
    return files;
  }

  TempDir dir;
  TempDir copyTarget;  // outside the root: a copy into the own root is refused
  ScriptedReporter reporter;
  StorageContext storage{reporter, {}, {}, false};
};

TEST_F(CliWaitTest, EveryCommandThatSavesWaitsAsLongAsToldAndWritesNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::filesystem::path root;     // the runner's --root
    std::filesystem::path lock;     // held by another program
    std::filesystem::path guarded;  // what the failure names
  } cases[] = {
      {"import",
       {"import", (dir / "in.txt").string(), "--yes"},
       dir.path(),
       dir / "DATA/00012/DEVICE.LCK",
       dir / "DATA/00012"},
      {"restore",
       {"restore", (std::filesystem::path(PELNOR_FIXTURES) / "master.json").string(),
        (dir / "MCDATA.MST").string()},
       dir.path(),
       dir / "MCDATA.LCK",
       dir / "MCDATA.MST"},
      {"copy",
       {"copy", "--device", "12", "--to", copyTarget.path().string(), "--yes"},
       dir.path(),
       copyTarget / "MCDATA.LCK",
       copyTarget / "MCDATA.MST"},
      {"demo", {"demo"}, dir / "empty", dir / "empty/MCDATA.LCK", dir / "empty/MCDATA.MST"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(c.lock, "");
    HeldFile other(c.lock);
    ASSERT_TRUE(other.held());
    const auto before = contents(dir.path());
    const auto targetBefore = contents(copyTarget.path());
    const CliRunner cli(c.root);
    const std::string waitText = heldFileWaitText(pathText(c.lock), 1000);

    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--wait", "0"});
    EXPECT_EQ(cli.run(args), 1) << cli.output();
    EXPECT_NE(cli.output().find(kBusy + pathText(c.guarded)), std::string::npos) << cli.output();
    EXPECT_EQ(cli.output().find("待っています"), std::string::npos) << "no wait, so none is told";
    EXPECT_EQ(contents(dir.path()), before);
    EXPECT_EQ(contents(copyTarget.path()), targetBefore);

    args.back() = "1";
    EXPECT_EQ(cli.run(args), 1) << cli.output();
    EXPECT_EQ(occurrences(cli.output(), waitText), 1u) << cli.output();
    EXPECT_NE(cli.output().find(kBusy + pathText(c.guarded)), std::string::npos) << cli.output();
    EXPECT_EQ(contents(dir.path()), before);
    EXPECT_EQ(contents(copyTarget.path()), targetBefore);
  }
}

TEST_F(CliWaitTest, TheWaitIsSecondsFromZeroOn) {
  const CliRunner cli(dir.path());
  for (const char* wrong : {"-1", "soon", "2000001"}) {
    SCOPED_TRACE(wrong);
    EXPECT_EQ(cli.run({"show", "--device", "12", "--month", "2024-01", "--wait", wrong}), 2);
    EXPECT_NE(cli.output().find("--wait"), std::string::npos) << cli.output();
  }
  EXPECT_EQ(cli.run({"show", "--device", "12", "--month", "2024-01", "--wait", "0"}), 0) << cli.output();
}

}  // namespace
}  // namespace pelnor
