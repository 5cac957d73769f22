// A link where a file of a data root should be (a month, the master, a lock file, a save's
// temporary, the copy of a damaged file, the settings, the log): nothing it names is read or written,
// also for a program run by root, which no permission stops. A link in the place of a file
// the save needs is refused with a message naming it; a FIFO there is refused alike.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "comm/rotating_log.h"
#include "data/ini_file.h"
#include "support/data_root_test.h"

namespace pelnor {
namespace {

using namespace test;
namespace fs = std::filesystem;

constexpr const char* kLinkRefused = "リンクになっているため、開くことが出来ません";
constexpr const char* kDeviceRefused = "デバイスまたはパイプになっているため、開くことが出来ません";
constexpr int32_t kOutsideDevice = 99;
constexpr int32_t kOutsidePulses = 4242;

// A fresh data root with device 12 registered and April 2024 stored, and a folder outside it.
struct Root : DataRoot {
  Root() {
    EXPECT_TRUE(registry.save(dir.path(), storage));
    april = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), defaults);
    addReading(april.days[0], Reading{10, 0, 30, 21});
    store(april);
  }

  fs::path monthFile() const { return DataRoot::monthFile(2024, 4); }

  // A reading collected for April, merged and saved as a collection saves it.
  bool collect() {
    history.resetForDevice(12, registry);
    history.addReading(DateTime::fromFields(2024, 4, 30, 12, 0), 5, 19, defaults);
    return history.mergeAndSave(false, env);
  }
  // The master loaded (as far as it reads), a device added, the master saved.
  bool addDevice() {
    DeviceRegistry loaded(defaults);
    loaded.load(dir.path(), storage);
    masterReadOutside = loaded.positionOf(kOutsideDevice) >= 0;
    DeviceRecord added = DeviceRecord::makeNew(defaults);
    added.deviceId = 13;
    loaded.put(added);
    return loaded.save(dir.path(), storage);
  }
  // A setting read and one written, as the window does at its start.
  bool writeSettings() {
    CIniFile ini;
    ini.Open(dir.path(), "Pelnor");
    settingReadOutside = !ini.GetString("Setting", "secret", "").empty();
    ini.WriteString("Setting", "corp", "written");
    return true;
  }

  // A line of the application log, kept in the own data root as the settings are.
  bool writeLog() {
    RotatingLog log;
    log.Configure(pathText(dir / "Pelnor"), 1, 1, 0, 1 << 20);
    log.WriteLine("a line of the log");
    return true;
  }

  // Every plain file in the root, links not followed.
  std::vector<std::string> contentsOfFiles() const {
    std::vector<std::string> contents;
    for (auto it = fs::recursive_directory_iterator(dir.path()); it != fs::recursive_directory_iterator();
         ++it) {
      if (fs::is_regular_file(it->symlink_status())) contents.push_back(readFile(it->path()));
    }
    return contents;
  }

  TempDir outside;
  MonthRecord april;
  bool masterReadOutside = false;
  bool settingReadOutside = false;
};

enum class Act { Collect, AddDevice, WriteSettings, WriteLog };

bool act(Root& root, Act what) {
  switch (what) {
    case Act::Collect:
      return root.collect();
    case Act::AddDevice:
      return root.addDevice();
    case Act::WriteSettings:
      return root.writeSettings();
    case Act::WriteLog:
      return root.writeLog();
  }
  return false;
}

// What an outside file holds that a read through the link would take in: a month with a
// reading of its own, a master with a device of its own, a setting.
std::string outsideBytes(Act what, const DeviceDefaults& defaults) {
  switch (what) {
    case Act::Collect: {
      MonthRecord month = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), defaults);
      addReading(month.days[4], Reading{9, 0, kOutsidePulses, 20});
      return serializeMonth(month);
    }
    case Act::AddDevice: {
      DeviceRegistry registry(defaults);
      DeviceRecord device = DeviceRecord::makeNew(defaults);
      device.deviceId = kOutsideDevice;
      registry.put(device);
      return registry.serialize();
    }
    case Act::WriteSettings:
      return "[Setting]\r\nsecret=outside\r\n";
    case Act::WriteLog:
      return "an outside file a log line must not be appended to\n";
  }
  return {};
}

struct Place {
  const char* name;
  const char* link;  // under the root
  Act act;
  bool refused;  // the save fails and says why, naming the link
  // A stored file cut short first, so that the save keeps a copy of it: the copy goes
  // under the next free name.
  const char* damaged = nullptr;
};

const Place kPlaces[] = {
    {"month", "DATA/00012/D202404.dmd", Act::Collect, true},
    {"device lock", "DATA/00012/DEVICE.LCK", Act::Collect, true},
    {"month temporary", "DATA/00012/D202404.dmd.a1B2c3", Act::Collect, false},
    {"copy of a damaged month", "DATA/00012/D202404.dmd.damaged", Act::Collect, false,
     "DATA/00012/D202404.dmd"},
    {"master", "MCDATA.MST", Act::AddDevice, true},
    {"master lock", "MCDATA.LCK", Act::AddDevice, true},
    {"master temporary", "MCDATA.MST.q1w2e3", Act::AddDevice, false},
    {"copy of a damaged master", "MCDATA.MST.damaged", Act::AddDevice, false, "MCDATA.MST"},
    // Settings are never a reason to stop: defaults are used, and nothing is written.
    {"settings", "Pelnor.INI", Act::WriteSettings, false},
    // A log line goes to the fallback log beside it.
    {"application log", "Pelnor0.LOG", Act::WriteLog, false},
};

TEST(DataRootLinks, NothingALinkNamesIsReadOrWritten) {
  for (const Place& place : kPlaces) {
    for (const bool targetExists : {true, false}) {
      SCOPED_TRACE(std::string(place.name) + (targetExists ? ", link to a file outside" : ", dangling link"));
      Root root;
      std::string damagedBytes;
      if (place.damaged) {
        damagedBytes = readFile(root.dir / place.damaged);
        damagedBytes.resize(damagedBytes.size() - 7);
        writeFile(root.dir / place.damaged, damagedBytes);
      }
      const fs::path link = root.dir / place.link;
      const fs::path target = root.outside / "target";
      const std::string outside = outsideBytes(place.act, root.defaults);
      if (targetExists) writeFile(target, outside);
      fs::remove(link);
      fs::create_symlink(target, link);

      const bool done = act(root, place.act);

      EXPECT_EQ(done, !place.refused) << "reported: " << ::testing::PrintToString(root.reporter.texts());
      // Refused by the load too where the load meets it.
      const std::string refusal = std::string(kLinkRefused) + "\n" + link.string();
      const std::vector<std::string> texts = root.reporter.texts();
      EXPECT_EQ(std::count(texts.begin(), texts.end(), refusal) > 0, place.refused);
      // Not written: the file outside as it was, or still missing, and nothing beside it.
      if (targetExists) {
        EXPECT_EQ(readFile(target), outside);
      } else {
        EXPECT_FALSE(fs::exists(fs::symlink_status(target)));
      }
      EXPECT_EQ(std::distance(fs::directory_iterator(root.outside.path()), fs::directory_iterator()),
                targetExists ? 1 : 0);
      // Not read: nothing of it in the root, nor in what was loaded.
      for (const std::string& contents : root.contentsOfFiles()) EXPECT_NE(contents, outside);
      EXPECT_FALSE(root.masterReadOutside);
      EXPECT_FALSE(root.settingReadOutside);
      if (place.act == Act::Collect) {
        MonthRecord stored;
        EXPECT_EQ(readMonthFile(root.monthFile(), stored, root.storage), link != root.monthFile());
        EXPECT_TRUE(stored.days[4].readings.empty());
      }
      // The link stays as the user left it.
      EXPECT_TRUE(fs::is_symlink(link));
      EXPECT_EQ(fs::read_symlink(link), target);
      if (place.damaged) {
        EXPECT_EQ(readFile(root.dir / (std::string(place.damaged) + ".damaged.2")), damagedBytes);
      }
    }
  }
}

// A FIFO does not hold data, and writing one would wait for a reader or hand the data to
// whoever reads it: one where a month, the master or a lock file should be is refused.
TEST(DataRootLinks, AFifoWhereAFileShouldBeIsRefused) {
  for (const Place& place : kPlaces) {
    if (!place.refused) continue;
    SCOPED_TRACE(place.name);
    Root root;
    const fs::path fifo = root.dir / place.link;
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_FALSE(act(root, place.act));
    const std::vector<std::string> texts = root.reporter.texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), std::string(kDeviceRefused) + "\n" + fifo.string()), 1)
        << ::testing::PrintToString(texts);
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
  }
}

// Folders on the way may be links a user set up on purpose: they are followed.
TEST(DataRootLinks, LinkedFoldersAreFollowed) {
  Root root;
  const fs::path device = root.location.deviceFolder(12);
  const fs::path moved = root.outside / "00012";
  fs::rename(device, moved);
  fs::create_directory_symlink(moved, device);
  ASSERT_TRUE(root.collect()) << ::testing::PrintToString(root.reporter.texts());
  MonthRecord stored;
  ASSERT_TRUE(readMonthFile(moved / "D202404.dmd", stored, root.storage));
  EXPECT_EQ(stored.days[29].readings.size(), 1u);
  EXPECT_EQ(stored.days[0].readings, root.april.days[0].readings);
}

}  // namespace
}  // namespace pelnor
