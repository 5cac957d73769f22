#include "data/device_registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <utility>

#include "data/file_lock.h"
#include "data/text.h"
#include "support/file_fixtures.h"
#include "support/held_file.h"
#include "support/scripted_reporter.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;

class DeviceRegistryTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScriptedReporter reporter;
  DeviceDefaults defaults{240, 6600, 110, 20, 5, 40000};
  StorageContext context{reporter, defaults, OpenRetry{10, 300, 300}, false};
  DeviceRegistry registry{defaults};

  std::filesystem::path master() const { return dir / "MCDATA.MST"; }
  DeviceRecord record(int32_t id, const std::string& name) const {
    DeviceRecord r = DeviceRecord::makeNew(defaults);
    r.deviceId = id;
    r.customerName = name;
    return r;
  }
};

TEST_F(DeviceRegistryTest, MissingFileIsAnEmptyRegistryWithoutMessage) {
  registry.commSettings = {9, 9, 9, 9, 9, 9};
  registry.report.office = "kept";
  EXPECT_TRUE(registry.load(dir.path(), context));
  EXPECT_EQ(registry.count(), 0);
  EXPECT_EQ(registry.commSettings, kDefaultCommSettings);
  EXPECT_EQ(registry.report.office, "kept");
  EXPECT_TRUE(reporter.messages().empty());
}

TEST_F(DeviceRegistryTest, LoadsEveryVersionSortedAndSavesVersion3) {
  for (int version : {1, 2, 3}) {
    writeFile(master(), masterFileBytes(version));
    ASSERT_TRUE(registry.load(dir.path(), context)) << version;
    EXPECT_EQ(registry.loadedVersion(), version);
    ASSERT_EQ(registry.count(), 2);
    EXPECT_EQ(registry.deviceAt(0).deviceId, 5);
    EXPECT_EQ(registry.deviceAt(1).customerName, "山田");
    EXPECT_EQ(registry.deviceAt(1).primaryCurrent, 10);
    EXPECT_EQ(registry.deviceAt(1).report, ReportInfo{});
    EXPECT_EQ(registry.commSettings, (CommSettings{3, 9600, 7, 2, 1, 0}));

    // Nothing changed: the file stays as it is.
    ASSERT_TRUE(registry.save(dir.path(), context));
    EXPECT_EQ(readFile(master()), masterFileBytes(version)) << version;
    ASSERT_TRUE(registry.saveFile(master(), context));
    // Written in ID order, as version 3 with default report entries.
    Bytes expected;
    expected.i32(3).i32(3).i32(9600).i32(7).i32(2).i32(1).i32(0);
    defaultReport(expected).u16(2);
    deviceBytes(expected, 3, 5, "ABC");
    deviceBytes(expected, 3, 12, "\x8E\x52\x93\x63");
    EXPECT_EQ(readFile(master()), expected.str()) << version;
  }
  EXPECT_TRUE(reporter.messages().empty());
}

TEST_F(DeviceRegistryTest, LaterRecordWithTheSameIdWins) {
  Bytes b;
  b.i32(3).i32(1).i32(38400).i32(8).i32(0).i32(0).i32(1);
  defaultReport(b).u16(2);
  deviceBytes(b, 3, 7, "old");
  deviceBytes(b, 3, 7, "new");
  writeFile(master(), b);
  ASSERT_TRUE(registry.load(dir.path(), context));
  ASSERT_EQ(registry.count(), 1);
  EXPECT_EQ(registry.deviceAt(0).customerName, "new");
}

TEST_F(DeviceRegistryTest, Operations) {
  DeviceRecord found;
  EXPECT_FALSE(registry.find(42, found));
  EXPECT_EQ(found.deviceId, -1);
  EXPECT_EQ(found.multiplier, 240);
  EXPECT_EQ(found.pulseConstant, 40000);

  DeviceRecord a = DeviceRecord::makeNew(defaults);
  a.deviceId = 30;
  EXPECT_EQ(registry.put(a), 0);
  a.deviceId = 10;
  EXPECT_EQ(registry.put(a), 0);
  a.customerName = "changed";
  EXPECT_EQ(registry.put(a), 0);  // update in place
  EXPECT_EQ(registry.count(), 2);
  EXPECT_EQ(registry.positionOf(30), 1);
  EXPECT_EQ(registry.positionOf(20), -1);
  ASSERT_TRUE(registry.find(10, found));
  EXPECT_EQ(found.customerName, "changed");
  EXPECT_THROW(registry.deviceAt(2), std::invalid_argument);
  EXPECT_THROW(registry.deviceAt(-1), std::invalid_argument);
  registry.removeAt(0);
  EXPECT_EQ(registry.deviceAt(0).deviceId, 30);
  registry.reset();
  EXPECT_EQ(registry.count(), 0);
}

TEST(VctTable, Lookups) {
  EXPECT_EQ(VctTable::count(), 22);
  EXPECT_EQ(VctTable::currentForMultiplier(60), 5);
  EXPECT_EQ(VctTable::currentForMultiplier(9600), 800);
  EXPECT_EQ(VctTable::currentForMultiplier(100), -1);
  EXPECT_EQ(VctTable::multiplierAt(11), 1200);
  EXPECT_EQ(VctTable::multiplierAt(22), -1);
  for (const auto& row : VctTable::kRows) EXPECT_EQ(row.multiplier, row.primaryCurrent * 12);
}

TEST_F(DeviceRegistryTest, EveryCutOfAValidFileFailsWithAnArchiveMessage) {
  const std::string full = masterFileBytes(3);
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    writeFile(master(), full.substr(0, cut));
    ScriptedReporter quiet;
    StorageContext c{quiet, defaults, OpenRetry{10, 300, 300}, false};
    EXPECT_FALSE(registry.load(dir.path(), c)) << cut;
    ASSERT_EQ(quiet.messages().size(), 1u) << cut;
    EXPECT_EQ(quiet.messages()[0].kind, "plain");
    EXPECT_TRUE(quiet.messages()[0].text.starts_with("ｱｰｶｲﾌﾞ異常\n")) << cut;
    EXPECT_TRUE(quiet.messages()[0].text.ends_with("\n.\\PelnorDoc(132)")) << cut;
  }
}

TEST_F(DeviceRegistryTest, HugeCountIsAnArchiveErrorAndKeepsWhatWasRead) {
  Bytes b;
  b.i32(3).i32(4).i32(2400).i32(8).i32(0).i32(0).i32(0);
  defaultReport(b).u16(0xFFFF).u32(0xFFFFFFFF);
  writeFile(master(), b);
  EXPECT_FALSE(registry.load(dir.path(), context));
  EXPECT_EQ(registry.commSettings[0], 4);
  EXPECT_EQ(registry.count(), 0);
}

// Another program saves the master between our load and our save: what it did stays,
// what we did is made to its version, and a save without changes of ours writes nothing.
TEST_F(DeviceRegistryTest, SaveMergesOurChangesIntoAnotherProgramsSave) {
  struct Case {
    const char* what;
    std::function<void(DeviceRegistry&)> ours, theirs;
    std::vector<std::pair<int32_t, std::string>> devices;
    CommSettings comm;
    bool oursChanged = true;
  } cases[] = {
      {"we rename 5 and delete 12, they add 20",
       [&](DeviceRegistry& r) {
         r.put(record(5, "ours"));
         r.removeAt(r.positionOf(12));
       },
       [&](DeviceRegistry& r) { r.put(record(20, "theirs")); },
       {{5, "ours"}, {20, "theirs"}},
       {3, 9600, 7, 2, 1, 0}},
      {"we change nothing, they rename 5",
       [](DeviceRegistry&) {},
       [&](DeviceRegistry& r) { r.put(record(5, "theirs")); },
       {{5, "theirs"}, {12, "山田"}},
       {3, 9600, 7, 2, 1, 0},
       false},
      {"we add 7, they change the line settings and rename 12",
       [&](DeviceRegistry& r) { r.put(record(7, "ours")); },
       [&](DeviceRegistry& r) {
         r.commSettings = {4, 19200, 8, 0, 0, 1};
         r.put(record(12, "theirs"));
       },
       {{5, "ABC"}, {7, "ours"}, {12, "theirs"}},
       {4, 19200, 8, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    writeFile(master(), masterFileBytes(3));
    ASSERT_TRUE(registry.load(dir.path(), context));
    DeviceRegistry other(defaults);
    ASSERT_TRUE(other.load(dir.path(), context));
    c.theirs(other);
    ASSERT_TRUE(other.save(dir.path(), context));

    c.ours(registry);
    ASSERT_TRUE(registry.save(dir.path(), context)) << c.what;
    DeviceRegistry stored(defaults);
    ASSERT_TRUE(stored.load(dir.path(), context));
    std::vector<std::pair<int32_t, std::string>> devices;
    for (int i = 0; i < stored.count(); ++i)
      devices.emplace_back(stored.deviceAt(i).deviceId, stored.deviceAt(i).customerName);
    EXPECT_EQ(devices, c.devices) << c.what;
    EXPECT_EQ(stored.commSettings, c.comm) << c.what;
    // After a save with changes of ours we hold what is stored.
    if (c.oursChanged) {
      EXPECT_EQ(registry.serialize(), stored.serialize()) << c.what;
    }
  }
  EXPECT_TRUE(reporter.messages().empty());
}

// Two programs on one root change the same device: the save asks which change stays and
// keeps the other program's changes to what this one left alone.
TEST_F(DeviceRegistryTest, ASaveAsksWhereAnotherProgramChangedTheSameField) {
  for (Reporter::Keep answer : {Reporter::Keep::Mine, Reporter::Keep::Theirs}) {
    const bool mine = answer == Reporter::Keep::Mine;
    SCOPED_TRACE(mine ? "keep mine" : "keep theirs");
    writeFile(master(), masterFileBytes(3));
    ASSERT_TRUE(registry.load(dir.path(), context));
    DeviceRegistry other(defaults);
    ASSERT_TRUE(other.load(dir.path(), context));
    DeviceRecord theirs = other.deviceAt(other.positionOf(12));
    theirs.customerName = "他の名前";
    theirs.multiplier = 120;
    theirs.primaryCurrent = 10;
    other.put(theirs);
    ASSERT_TRUE(other.save(dir.path(), context));

    DeviceRecord ours = registry.deviceAt(registry.positionOf(12));
    ours.customerName = "自分の名前";
    registry.put(ours);
    ScriptedReporter asked;
    asked.answer(answer);
    ASSERT_TRUE(registry.save(dir.path(), StorageContext{asked, defaults, OpenRetry{10, 300, 300}, false}));
    ASSERT_EQ(asked.messages().size(), 1u);
    EXPECT_EQ(asked.messages()[0].kind, "keep");
    EXPECT_EQ(asked.messages()[0].text,
              "機器ＩＤ 12 の設定は他のプログラムでも変更されました\n需要家名\n　自分の変更：自分の名前\n"
              "　他のプログラムの変更：他の名前\nどちらの変更を残しますか");
    DeviceRegistry stored(defaults);
    ASSERT_TRUE(stored.load(dir.path(), context));
    DeviceRecord twelve;
    ASSERT_TRUE(stored.find(12, twelve));
    EXPECT_EQ(twelve.customerName, mine ? "自分の名前" : "他の名前");
    EXPECT_EQ(twelve.primaryCurrent, 10) << "their VCT, which we left alone";
    EXPECT_EQ(registry.serialize(), stored.serialize());
  }
  EXPECT_TRUE(reporter.messages().empty());
}

// The user is asked with the master let go: another program saves it while the question
// is open. What it saved then is merged too; a question answered before is not asked again,
// one about a value that changed meanwhile is.
TEST_F(DeviceRegistryTest, TheMasterIsLetGoWhileTheUserIsAsked) {
  writeFile(master(), masterFileBytes(3));
  ASSERT_TRUE(registry.load(dir.path(), context));
  auto otherSaves = [&](const std::vector<DeviceRecord>& records) {
    DeviceRegistry other(defaults);
    ASSERT_TRUE(other.load(dir.path(), context));
    for (const DeviceRecord& r : records) other.put(r);
    ASSERT_TRUE(other.save(dir.path(), context));
  };
  otherSaves({record(5, "他5"), record(12, "他1")});
  registry.put(record(5, "自分5"));
  registry.put(record(12, "自分"));

  struct SavingMeanwhile : ScriptedReporter {
    std::function<void()> whileAsked;
    Keep askWhichToKeep(const std::string& text) override {
      if (whileAsked) std::exchange(whileAsked, nullptr)();
      return ScriptedReporter::askWhichToKeep(text);
    }
  } asked;
  asked.whileAsked = [&] { otherSaves({record(12, "他2"), record(30, "他30")}); };
  for (Reporter::Keep k : {Reporter::Keep::Mine, Reporter::Keep::Theirs, Reporter::Keep::Mine})
    asked.answer(k);
  ASSERT_TRUE(registry.save(dir.path(), StorageContext{asked, defaults, OpenRetry{10, 300, 300}, false}));
  std::vector<std::string> theirs;
  for (const std::string& text : asked.texts()) {
    theirs.push_back(text.substr(text.find("他のプログラムの変更：")));
  }
  EXPECT_EQ(theirs, (std::vector<std::string>{"他のプログラムの変更：他5\nどちらの変更を残しますか",
                                              "他のプログラムの変更：他1\nどちらの変更を残しますか",
                                              "他のプログラムの変更：他2\nどちらの変更を残しますか"}));
  DeviceRegistry stored(defaults);
  ASSERT_TRUE(stored.load(dir.path(), context));
  std::vector<std::string> names;
  for (int i = 0; i < stored.count(); ++i) names.push_back(stored.deviceAt(i).customerName);
  EXPECT_EQ(names, (std::vector<std::string>{"自分5", "自分", "他30"}));
  EXPECT_TRUE(reporter.messages().empty());
}

// After a save that failed, the registry holds what the file holds, not what it could not
// save; and a save that went through keeps this registry's changes.
TEST_F(DeviceRegistryTest, SaveOrReloadHoldsWhatTheFileHolds) {
  writeFile(master(), masterFileBytes(3));
  ASSERT_TRUE(registry.load(dir.path(), context));
  DeviceRegistry other(defaults);
  ASSERT_TRUE(other.load(dir.path(), context));
  other.put(record(20, "theirs"));
  ASSERT_TRUE(other.save(dir.path(), context));
  const std::string onDisk = readFile(master());

  registry.put(record(7, "ours"));
  FileLock held;
  ASSERT_EQ(acquireFileLock(held, dir / kMasterLockName, 0, reporter), kOpenOk);
  EXPECT_FALSE(registry.saveOrReload(dir.path(), context));
  EXPECT_EQ(reporter.messages().size(), 1u) << "the failure, said once";
  EXPECT_EQ(registry.positionOf(7), -1);
  EXPECT_GE(registry.positionOf(20), 0);
  EXPECT_EQ(registry.serialize(), onDisk);
  held.release();

  registry.put(record(7, "ours"));
  EXPECT_TRUE(registry.saveOrReload(dir.path(), context));
  EXPECT_GE(registry.positionOf(7), 0);
}

// A master that could not be read to its end is never written over unkept: without a
// change of ours it stays as it is, with one it is kept as MCDATA.MST.damaged first.
TEST_F(DeviceRegistryTest, ADamagedMasterIsKeptBeforeItIsWritten) {
  const std::string damaged = masterFileBytes(3).substr(0, masterFileBytes(3).size() - 10);
  writeFile(master(), damaged);
  EXPECT_FALSE(registry.load(dir.path(), context));
  ASSERT_EQ(registry.count(), 1);  // device 12 was read whole
  EXPECT_TRUE(registry.save(dir.path(), context));
  EXPECT_EQ(readFile(master()), damaged);
  EXPECT_FALSE(std::filesystem::exists(dir / "MCDATA.MST.damaged"));

  registry.put(record(7, "ours"));
  ASSERT_TRUE(registry.save(dir.path(), context));
  EXPECT_EQ(readFile(dir / "MCDATA.MST.damaged"), damaged);
  DeviceRegistry stored(defaults);
  ASSERT_TRUE(stored.load(dir.path(), context));
  EXPECT_EQ(stored.count(), 2);
  EXPECT_GE(stored.positionOf(7), 0);
}

// While another program holds the master's lock, a save waits for it and, when it is not
// freed in time, says so and leaves the file alone.
TEST_F(DeviceRegistryTest, ASaveWaitsForTheMastersLock) {
  writeFile(master(), masterFileBytes(3));
  ASSERT_TRUE(registry.load(dir.path(), context));
  registry.put(record(7, "ours"));
  FileLock other;
  ASSERT_EQ(acquireFileLock(other, dir / kMasterLockName, 0, reporter), kOpenOk);
  ASSERT_TRUE(other.held());
  EXPECT_FALSE(registry.save(dir.path(), context));
  ASSERT_EQ(reporter.messages().size(), 1u);
  EXPECT_EQ(reporter.messages()[0].text,
            "他のプログラムがデータを更新中のため、保存出来ません\n" + master().string());
  EXPECT_EQ(readFile(master()), masterFileBytes(3));

  std::thread freeSoon([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    other.release();
  });
  EXPECT_TRUE(registry.save(dir.path(), context));
  freeSoon.join();
  DeviceRegistry stored(defaults);
  ASSERT_TRUE(stored.load(dir.path(), context));
  EXPECT_GE(stored.positionOf(7), 0);
}

TEST_F(DeviceRegistryTest, LockedFileIsRetriedThenReported) {
  writeFile(master(), masterFileBytes(3));
  HeldFile other(master());
  ASSERT_TRUE(other.held());
  EXPECT_FALSE(registry.load(dir.path(), context));
  registry.put(record(7, "new"));
  EXPECT_FALSE(registry.save(dir.path(), context));
  auto messages = reporter.messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].kind, "info");
  EXPECT_EQ(messages[0].text, "ファイルを開くことが出来ません\n" + master().string());
  other.release();
  EXPECT_EQ(readFile(master()), masterFileBytes(3));  // unchanged by the failed save
}

TEST_F(DeviceRegistryTest, SaveIntoAMissingFolderFailsWithTheOpenText) {
  registry.put(record(7, "new"));
  EXPECT_FALSE(registry.save(dir / "missing", context));
  ASSERT_EQ(reporter.messages().size(), 1u);
  EXPECT_EQ(reporter.messages()[0].text,
            "ファイルを開くことが出来ません\n" + (dir / "missing" / "MCDATA.MST").string());
}

}  // namespace
}  // namespace pelnor

namespace pelnor {
namespace {

using namespace test;

// Characters with two cp932 codes come back with the codes they were read with, as long
// as nobody changed the text.
TEST_F(DeviceRegistryTest, NamesSavedUnchangedKeepTheirBytes) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"NEC selection of ≒", "\x87\x90"},
      {"IBM selection of ¬", "\xFA\x54"},
      {"NEC-selected IBM extension", "\xED\x9E"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b;
    b.i32(3).i32(1).i32(38400).i32(8).i32(0).i32(0).i32(1);
    defaultReport(b);
    b.u16(1);
    deviceBytes(b, 3, 12, "A" + c.bytes);
    writeFile(master(), b);
    ASSERT_TRUE(registry.load(dir.path(), context));
    ASSERT_TRUE(registry.save(dir.path(), context));
    EXPECT_EQ(readFile(master()), std::string(b));

    // A dialog copying the unchanged name back keeps the bytes; an edited name is new.
    DeviceRecord device = registry.deviceAt(0);
    device.customerName = device.customerName.str();
    EXPECT_EQ(device.customerName.cp932(), "A" + c.bytes);
    device.customerName = device.customerName.str() + "B";
    EXPECT_EQ(device.customerName.cp932(), utf8ToCp932(cp932ToUtf8("A" + c.bytes)) + "B");
  }
}

}  // namespace
}  // namespace pelnor
