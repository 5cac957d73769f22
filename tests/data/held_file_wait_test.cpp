// Waiting for a file or lock file another program holds: the person is told once which
// file is waited for, may give up at any pause (then nothing is written), and a limit of
// 0 fails at once without a wait.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "comm/line_source.h"
#include "data/data_locks.h"
#include "data/device_history.h"
#include "data/file_lock.h"
#include "data/held_file_retry.h"
#include "data/path_text.h"
#include "data/year_summary.h"
#include "support/data_root_test.h"
#include "support/held_file.h"

namespace pelnor {
namespace {

using namespace test;

// Long enough that only the person ends the wait; a wait that ignored them would still end.
constexpr int kLongWaitMs = 10000;
constexpr int kIntervalMs = 5;

// Records the waits it is told of and gives up after a number of pauses (never when
// negative).
class WaitingReporter : public ScriptedReporter {
 public:
  struct Told {
    std::string file;
    int limitMs;
  };

  std::unique_ptr<HeldFileWait> waitForHeldFile(const std::string& file, int limitMs) override {
    told.push_back({file, limitMs});
    return std::make_unique<Wait>(*this);
  }

  int giveUpAfterPauses = -1;
  std::vector<Told> told;
  int pauses = 0;
  int open = 0;  // waits not yet ended

 private:
  class Wait : public HeldFileWait {
   public:
    explicit Wait(WaitingReporter& owner) : owner_(owner) { ++owner_.open; }
    ~Wait() override { --owner_.open; }
    bool pause(int milliseconds) override {
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
      return owner_.giveUpAfterPauses < 0 || ++owner_.pauses <= owner_.giveUpAfterPauses;
    }

   private:
    WaitingReporter& owner_;
  };
};

class HeldFileWaitTest : public DataRootTest {
 protected:
  HeldFileWaitTest() {
    storage.retry = OpenRetry{kIntervalMs, kLongWaitMs, kLongWaitMs};
    DataLocation::createFolderPath(location.deviceFolder(12));
    writeFile(lockFile(), "");
    writeFile(dir / "in.txt", "12\r\n");
  }
  std::filesystem::path lockFile() const { return location.deviceFolder(12) / kDeviceLockName; }

  WaitingReporter person;
};

TEST_F(HeldFileWaitTest, EachWaitIsToldOnceAndEndsAtOnceWhenThePersonGivesUp) {
  writeFile(monthFile(2024, 4), "bytes");
  struct Case {
    const char* what;
    std::filesystem::path held;
    std::function<bool()> gaveUp;  // runs the operation; true when it ended as given up
  } cases[] = {
      {"lock file", lockFile(),
       [&] {
         FileLock lock;
         return acquireFileLock(lock, lockFile(), kLongWaitMs, person, kIntervalMs) == kOpenAbandoned &&
                !lock.held();
       }},
      {"read", monthFile(2024, 4),
       [&] {
         UniqueFd file;
         return openWithRetry(file, monthFile(2024, 4), OpenMode::Read, kLongWaitMs, person, kIntervalMs) ==
                kOpenAbandoned;
       }},
      {"write", monthFile(2024, 4),
       [&] {
         UniqueFd file;
         return openWithRetry(file, monthFile(2024, 4), OpenMode::Write, kLongWaitMs, person, kIntervalMs) ==
                kOpenAbandoned;
       }},
      {"reception file", dir / "in.txt",
       [&] {
         std::string contents;
         return readReceptionFile(dir / "in.txt", kLongWaitMs, kIntervalMs, person, contents) ==
                FileOpenResult::CannotOpen;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    person.told.clear();
    person.pauses = 0;
    person.giveUpAfterPauses = 3;
    HeldFile other(c.held);
    ASSERT_TRUE(other.held());
    EXPECT_TRUE(c.gaveUp());
    ASSERT_EQ(person.told.size(), 1u) << "told once, not at every try";
    EXPECT_EQ(person.told[0].file, pathText(c.held));
    EXPECT_EQ(person.told[0].limitMs, kLongWaitMs);
    EXPECT_EQ(person.pauses, 4) << "the try after the last pause is not made";
    EXPECT_EQ(person.open, 0) << "the wait is over when the call returns";
  }
  EXPECT_EQ(readFile(monthFile(2024, 4)), "bytes");
}

TEST_F(HeldFileWaitTest, ALimitOfZeroFailsAtOnceAndAFreeFileIsNoWait) {
  FileLock lock;
  {
    HeldFile other(lockFile());
    ASSERT_TRUE(other.held());
    EXPECT_EQ(acquireFileLock(lock, lockFile(), 0, person, kIntervalMs), kOpenTimedOut);
    EXPECT_TRUE(person.told.empty());
  }
  EXPECT_EQ(acquireFileLock(lock, lockFile(), kLongWaitMs, person, kIntervalMs), kOpenOk);
  EXPECT_TRUE(lock.held());
  EXPECT_TRUE(person.told.empty());

  // A short limit ends the wait by itself, told once however many tries it took.
  lock.release();
  HeldFile other(lockFile());
  EXPECT_EQ(acquireFileLock(lock, lockFile(), 30, person, kIntervalMs), kOpenTimedOut);
  EXPECT_EQ(person.told.size(), 1u);
  EXPECT_EQ(person.open, 0);
}

// The VCT change and the report entry rewrite their month under the device's lock: given
// up, they write nothing and say that the save was stopped.
TEST_F(HeldFileWaitTest, AGivenUpSaveWritesNothingAndSaysItStopped) {
  MonthRecord april = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), defaults);
  addReading(april.days[0], Reading{10, 0, 7, 20});
  store(april);
  const std::string before = readFile(monthFile(2024, 4));
  StorageContext context{person, defaults, storage.retry, false};
  const HistoryEnv personEnv{registry, location, context, 50000};
  history.resetForDevice(12, registry);
  history.loadPastMonths(12, april.month, 1, personEnv);

  HeldFile other(lockFile());
  person.giveUpAfterPauses = 1;
  EXPECT_FALSE(
      history.changeStoredMonth(april.month, personEnv, [](MonthRecord& m) { m.report.entered = 1; }));
  EXPECT_EQ(readFile(monthFile(2024, 4)), before);
  EXPECT_EQ(person.texts(),
            std::vector<std::string>{"他のプログラムがデータを更新中のため、保存を中止しました\n" +
                                     pathText(location.deviceFolder(12))});
}

// The year's months are read without messages, but a wait for one of them is still
// shown, and may be given up.
TEST_F(HeldFileWaitTest, AQuietYearReadStillShowsItsWait) {
  MonthRecord april = MonthRecord::makeNew(DateTime::fromFields(2024, 4, 1), defaults);
  store(april);
  StorageContext context{person, defaults, storage.retry, false};
  const HistoryEnv personEnv{registry, location, context, 50000};
  history.resetForDevice(12, registry);

  HeldFile other(monthFile(2024, 4));
  person.giveUpAfterPauses = 1;
  summarizeYear(history, DateTime::fromFields(2024, 6, 1), personEnv);
  ASSERT_EQ(person.told.size(), 1u);
  EXPECT_EQ(person.told[0].file, pathText(monthFile(2024, 4)));
  EXPECT_TRUE(person.messages().empty());
}

TEST(HeldFileWaitText, NamesTheFileAndTheLongestWaitInWholeSeconds) {
  EXPECT_EQ(heldFileWaitText("/d/MCDATA.LCK", 60000),
            "他のプログラムがファイルを使用中のため、待っています（最長60秒）\n/d/MCDATA.LCK");
  EXPECT_EQ(heldFileWaitText("x", 1), "他のプログラムがファイルを使用中のため、待っています（最長1秒）\nx");
}

}  // namespace
}  // namespace pelnor
