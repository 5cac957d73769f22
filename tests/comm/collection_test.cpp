#include "comm/collection.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "comm/reception_parser.h"
#include "comm/waiting_sink.h"
#include "data/month_file.h"
#include "data/text.h"
#include "support/data_root_test.h"
#include "support/notification_print.h"
#include "support/pty_pair.h"

namespace pelnor {
namespace {

using namespace test;
using Clock = std::chrono::steady_clock;

// Keeps every notification of a reception.
class NotificationLog {
 public:
  void record(const Notification& n) {
    std::lock_guard lock(mutex_);
    notes_.push_back(n);
  }
  std::vector<std::string> statusTexts() {
    std::vector<std::string> out;
    for (const Notification& n : notes()) {
      if (n.status) out.push_back(n.text);
    }
    return out;
  }
  std::vector<Notification> notes() {
    std::lock_guard lock(mutex_);
    return notes_;
  }

 private:
  std::mutex mutex_;
  std::vector<Notification> notes_;
};

class CollectionTest : public DataRootTest {
 protected:
  void SetUp() override { appLog.Configure((dir / "Pelnor").string(), 7, 4, 1000, 5242880); }

  // Starts a collection; the serial port is the test's pseudo-terminal unless another
  // path is given.
  void startEngine(CollectionOptions options, std::string portPath = {},
                   std::unique_ptr<SimulatedDevice> simulated = nullptr, Reporter* user = nullptr) {
    options.fileOpenLimitMs = 300;
    options.fileOpenIntervalMs = 10;
    if (portPath.empty()) portPath = pty.slavePath();
    engine = std::make_unique<CollectionEngine>(
        history, env, user ? *user : reporter, sink, appLog, [portPath](int) { return portPath; }, options);
    engine->port().setLockFolder(locks.path().string());
    if (simulated) engine->setSimulatedDevice(std::move(simulated));
    engine->start();
  }
  // Runs a collection to its end; the engine stays for inspection.
  std::optional<NotificationKind> run(const CollectionOptions& options) {
    startEngine(options);
    const std::optional<NotificationKind> kind = sink.waitForEnd(std::chrono::seconds(10));
    engine->join();
    return kind;
  }
  static CollectionOptions fileOptions(const std::filesystem::path& file) {
    CollectionOptions options;
    options.mode = CollectionOptions::Mode::File;
    options.file = file;
    return options;
  }
  std::optional<NotificationKind> importText(const std::string& text) {
    writeFile(dir / "in.txt", text);
    return run(fileOptions(dir / "in.txt"));
  }
  // A history with one reading of May 2023 shown, as the window may show it.
  void showPreviousData() {
    history.resetForDevice(12, registry);
    history.addReading(DateTime::fromFields(2023, 5, 2, 10, 0), 9, 20, defaults);
  }
  void expectPreviousDataShown() {
    EXPECT_EQ(history.device.deviceId, 12);
    ASSERT_EQ(history.months.size(), 1u);
    EXPECT_EQ(history.months[0].month, DateTime::fromFields(2023, 5, 1));
    EXPECT_EQ(history.months[0].days[1].readings, (std::vector<Reading>{{10, 0, 9, 20}}));
  }
  MonthRecord stored(int year, int month) {
    MonthRecord record;
    EXPECT_TRUE(readMonthFile(monthFile(year, month), record, storage));
    return record;
  }
  std::string appLogText() const {
    std::string text;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
      if (e.path().extension() == ".LOG") text += cp932ToUtf8(readFile(e.path()));
    }
    return text;
  }

  RotatingLog appLog;
  NotificationLog log;
  WaitingSink sink{[this](const Notification& n) { log.record(n); }};
  PtyPair pty;
  TempDir locks;
  std::unique_ptr<CollectionEngine> engine;
};

TEST_F(CollectionTest, AFileWithoutEndLineIsConfirmedMergedAndSaved) {
  // Stored: 08:00 and 23:00 of 31 January; the received span 10:00..23:30 replaces 23:00.
  MonthRecord january = MonthRecord::makeNew(DateTime::fromFields(2024, 1, 1), defaults);
  addReading(january.days[30], Reading{8, 0, 1, 1});
  addReading(january.days[30], Reading{23, 0, 1, 1});
  addReading(january.days[29], Reading{8, 0, 1, 1});
  store(january);

  reporter.answer(Reporter::Answer::Yes);
  const std::optional<NotificationKind> kind = importText(
      "garbage before the ID\r\n"
      "12\r\n"
      "24/01/31 10:00,0030,21\r\n"
      "24/01/31 23:30,0040,20.6\r\n"
      "24/01/31 23:30,0041,19\r\n"  // the later line wins
      "24/02/30 10:00,0001,20\r\n"  // not in the calendar: reported and skipped
      "24/02/01 00:00,0005,-3.7\r\n");
  EXPECT_EQ(kind, NotificationKind::Finished);

  MonthRecord jan = stored(2024, 1);
  ASSERT_EQ(jan.days[30].readings.size(), 3u);
  EXPECT_EQ(jan.days[30].readings[0].key(), 800);
  EXPECT_EQ(jan.days[30].readings[2], (Reading{23, 30, 41, 19}));
  EXPECT_EQ(jan.days[29].readings.size(), 1u);  // a day not received keeps its readings
  MonthRecord feb = stored(2024, 2);
  EXPECT_EQ(feb.days[0].readings.at(0), (Reading{0, 0, 5, -3}));
  EXPECT_EQ(feb.days[0].header.customerName, "山田");

  EXPECT_EQ(engine->lastReadingTime(), DateTime::fromFields(2024, 2, 1));
  EXPECT_EQ(history.device.deviceId, 12);
  ASSERT_EQ(history.months.size(), 2u);
  EXPECT_EQ(history.months[1].pulseStats.sum.pulses, 5);  // aggregated
  EXPECT_EQ(engine->outstanding(), 0);

  auto texts = reporter.messages();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(
      texts[0].text,
      "機器ＩＤ【 12 】番\n需要家名【 山田 】\n のデータを収集しました\n機器情報に間違いはありませんか？\n"
      "「いいえ」を選ぶと処理を中断させます");
  EXPECT_EQ(reporter.beeps, 1);
  std::vector<std::string> status = log.statusTexts();
  ASSERT_EQ(status.size(), 5u);
  EXPECT_EQ(status[0], "ファイルオープン:" + (dir / "in.txt").string());
  EXPECT_EQ(status[1], "ファイル読み込み中...");
  EXPECT_EQ(status[2], "認識出来ないデータを受信しました，このデータは無視します");
  EXPECT_EQ(status[3], "集計中...");
  EXPECT_EQ(status[4], "集計完了");
  std::vector<Notification> notes = log.notes();
  EXPECT_EQ(notes[2].text, "garbage before the ID");  // received lines, shown without status
  EXPECT_FALSE(notes[2].status);
  EXPECT_EQ(notes.back().text, "");
}

TEST_F(CollectionTest, AnUnregisteredIdStoresNothing) {
  EXPECT_EQ(importText("77\r\n24/01/31 10:00,0030,21\r\n"), NotificationKind::Failed);
  EXPECT_FALSE(std::filesystem::exists(location.dataFolder()));
  const std::string text =
      "受信した機器ＩＤは登録されていません，先に「機器の設定」を行ってください，受信した機器ＩＤ = 77";
  EXPECT_EQ(log.statusTexts().back(), text);
  EXPECT_NE(appLogText().find(text), std::string::npos);  // problems also go to the log
  EXPECT_TRUE(reporter.messages().empty());
}

TEST_F(CollectionTest, AnsweringNoWritesNothingAndBringsBackThePreviousHistory) {
  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2023, 5, 2, 10, 0), 9, 20, defaults);
  const DeviceHistory before = history;

  reporter.answer(Reporter::Answer::No);
  EXPECT_EQ(importText("12\r\n24/01/31 10:00,0030,21\r\n00/00/00 00:00,0000, 00\r\nnever read\r\n"),
            NotificationKind::Finished);
  EXPECT_FALSE(std::filesystem::exists(location.dataFolder()));
  ASSERT_EQ(history.months.size(), 1u);
  EXPECT_EQ(history.months[0].days[1].readings, before.months[0].days[1].readings);
  EXPECT_EQ(engine->lastReadingTime(), DateTime::fromFields(2024, 1, 1));
}

TEST_F(CollectionTest, FormatErrorsEndTheReceptionAndEmptyLinesAreReported) {
  EXPECT_EQ(importText("12\r\n\r\n24/01/31 10:00,0030\r\n24/01/31 11:00,0030,1\r\n"),
            NotificationKind::Failed);
  std::vector<std::string> status = log.statusTexts();
  EXPECT_EQ(status[status.size() - 2], "空データ受信");
  EXPECT_EQ(status.back(), "受信データのフォーマットが異常です");
  EXPECT_TRUE(reporter.messages().empty());
  EXPECT_FALSE(std::filesystem::exists(location.dataFolder()));
}

// CR CR LF ends no line: the 10:00 reading arrives inside the 10:30 line and would be lost
// without a word.
TEST_F(CollectionTest, ReadingsRunTogetherOnTheLineAreAFormatError) {
  ASSERT_TRUE(
      pty.write("12\r\n24/01/31 10:00,0030,21\r\r\n24/01/31 10:30,0031,22\r\n00/00/00 00:00,0000, 00\r\n"));
  CollectionOptions options;
  options.comm = {3, 9600, 8, 0, 0, 0};
  startEngine(options);
  EXPECT_EQ(sink.waitForEnd(std::chrono::seconds(10)), NotificationKind::Failed);
  engine->join();
  std::vector<std::string> status = log.statusTexts();
  ASSERT_GE(status.size(), 2u);
  EXPECT_EQ(status[status.size() - 2], "受信データのフォーマットが異常です");
  EXPECT_EQ(status.back(), "シリアルポートクローズ");
  EXPECT_TRUE(reporter.messages().empty());  // no question: nothing is stored
  EXPECT_FALSE(std::filesystem::exists(location.dataFolder()));
}

TEST_F(CollectionTest, AMissingFileIsAFailure) {
  CollectionOptions options;
  options.mode = CollectionOptions::Mode::File;
  options.file = dir / "missing.txt";
  EXPECT_EQ(run(options), NotificationKind::Failed);
  EXPECT_EQ(log.statusTexts().back(), "ファイルが存在しません:" + (dir / "missing.txt").string());
}

TEST_F(CollectionTest, TheDeviceDisappearingMidLineStoresNothing) {
  CollectionOptions options;
  options.comm = {3, 256000, 8, 0, 0, 0};
  startEngine(options);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(pty.write("12\r\n24/01/31 10:00,0030,21\r\n24/01/31 10:3"));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  pty.closeMaster();
  pty.closeSlave();
  EXPECT_EQ(sink.waitForEnd(std::chrono::seconds(10)), NotificationKind::Failed);
  engine->join();
  std::vector<std::string> status = log.statusTexts();
  ASSERT_GE(status.size(), 2u);
  EXPECT_EQ(status[status.size() - 2], "通信異常 [-1]");
  EXPECT_EQ(status.back(), "シリアルポートクローズ");
  EXPECT_FALSE(std::filesystem::exists(location.dataFolder()));
  EXPECT_TRUE(reporter.messages().empty());
}

TEST_F(CollectionTest, CancelWhileWaitingForTheDeviceIsQuickAndRestores) {
  history.resetForDevice(12, registry);
  history.addReading(DateTime::fromFields(2023, 5, 2, 10, 0), 9, 20, defaults);
  CollectionOptions options;
  options.comm = {3, 9600, 8, 0, 0, 1};
  startEngine(options);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(history.months.empty());  // cleared while the reception runs
  auto start = Clock::now();
  engine->cancel();
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1200));
  EXPECT_EQ(sink.waitForEnd(std::chrono::milliseconds(0)), NotificationKind::Failed);
  EXPECT_EQ(history.months.size(), 1u);
  std::vector<std::string> status = log.statusTexts();
  EXPECT_EQ(status[0], "シリアルポートオープン");
  EXPECT_EQ(status[1], "機器からのデータ送信待ち");
  EXPECT_EQ(status[2], "通信異常 [-2]");
}

// Stopped before its first line, a reception has failed, and says so like any failure.
TEST_F(CollectionTest, AReceptionStoppedBeforeItsFirstLineNamesItsEnd) {
  CollectionOptions options;
  options.comm = {3, 9600, 8, 0, 0, 0};
  startEngine(options);
  engine->stop();
  EXPECT_EQ(sink.waitForEnd(std::chrono::seconds(10)), NotificationKind::Failed);
  engine->join();
  std::vector<std::string> problems;
  for (const Notification& n : log.notes()) {
    if (n.kind == NotificationKind::Problem) problems.push_back(n.text);
  }
  EXPECT_FALSE(problems.empty());
}

TEST_F(CollectionTest, ThePortThatDoesNotOpenIsReported) {
  CollectionOptions options;
  startEngine(options, "/nonexistent/tty");
  EXPECT_EQ(sink.waitForEnd(std::chrono::seconds(10)), NotificationKind::Failed);
  engine->join();
  const std::vector<std::string> status = log.statusTexts();
  ASSERT_GE(status.size(), 3u);
  EXPECT_EQ(status[1], "シリアルポートのオープンに失敗," + engine->port().ErrorText(ENOENT));
  // The next line names the port, its device and the reason in words.
  EXPECT_EQ(status[2], formatText("ポート: COM%d（/nonexistent/tty） ファイルまたはフォルダが見つかりません",
                                  options.comm[0]));
}

// Such a rate used to open the port and wait for the device without end.
TEST_F(CollectionTest, ABaudRateOfZeroEndsTheReceptionAtOnce) {
  CollectionOptions options;
  options.comm = {3, 0, 8, 0, 0, 0};
  startEngine(options);
  ASSERT_EQ(sink.waitForEnd(std::chrono::seconds(10)), NotificationKind::Failed);
  engine->join();
  std::vector<std::string> status = log.statusTexts();
  ASSERT_GE(status.size(), 2u);
  EXPECT_EQ(status[1], formatText("シリアルポートのオープンに失敗,ボーレイト 0 では %s を開けません。"
                                  "ｴﾗｰNo:hex(16),dec(22)",
                                  pty.slavePath().c_str()));
}

TEST_F(CollectionTest, TheSimulatedDeviceSendsTwoDaysOfDevice100) {
  registerDevice(100, "");
  std::time_t now = std::time(nullptr);
  CollectionOptions options;
  options.simulatedDevice = true;
  options.showReceivedLines = false;
  reporter.answer(Reporter::Answer::Yes);
  startEngine(options, "/nonexistent/tty",
              std::make_unique<SimulatedDevice>([now] { return now; }, [] { return 32767; }));
  EXPECT_EQ(sink.waitForEnd(std::chrono::seconds(10)), NotificationKind::Finished);
  engine->join();
  int readings = 0;
  for (const MonthRecord& m : history.months) {
    for (const DayRecord& d : m.days) readings += static_cast<int>(d.readings.size());
  }
  EXPECT_GE(readings, 288);  // 48 to 49 hours of 10-minute readings
  EXPECT_LE(readings, 295);
  EXPECT_TRUE(std::filesystem::exists(location.deviceFolder(100)));
}

// Files as users write them, and lines that do not say which device they belong to.
TEST_F(CollectionTest, ReadingsAreStoredOnlyUnderAReceivedId) {
  struct Case {
    const char* name;
    std::string text;
    NotificationKind kind;
    const char* lastStatus;  // nullptr: stored as device 12
  } cases[] = {
      {"byte order mark",
       "\xEF\xBB\xBF"
       "12\r\n24/01/31 10:00,0030,21\r\n",
       NotificationKind::Finished, nullptr},
      {"Ctrl-Z at the end", "12\r\n24/01/31 10:00,0030,21\r\n\x1A", NotificationKind::Finished, nullptr},
      {"data before the ID", "24/01/31 10:00,0030,21\r\n12\r\n24/01/31 11:00,0030,21\r\n",
       NotificationKind::Failed,
       "機器ＩＤより前に計測データを受信しました，どの機器のデータか分からないため保存しません"},
      {"noise before the ID",
       "\x01"
       "12\r\n24/01/31 10:00,0030,21\r\n",
       NotificationKind::Failed,
       "機器ＩＤより前に計測データを受信しました，どの機器のデータか分からないため保存しません"},
      {"full-width ID", "\x82\x50\x82\x51\r\n24/01/31 10:00,0030,21\r\n", NotificationKind::Failed,
       "機器ＩＤより前に計測データを受信しました，どの機器のデータか分からないため保存しません"},
      {"no ID at all", "", NotificationKind::Failed,
       "機器ＩＤを受信しないまま送信が終わりました，受信データは保存しません"},
      {"an ID beyond 32 bits", "4294967308\r\n24/01/31 10:00,0030,21\r\n", NotificationKind::Failed,
       "受信した機器ＩＤは登録されていません，先に「機器の設定」を行ってください，受信した機器ＩＤ = "
       "4294967308"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(location.dataFolder());
    showPreviousData();  // device 12 is on screen: nothing may be filed under it by chance
    ScriptedReporter user;
    user.answer(Reporter::Answer::Yes);
    writeFile(dir / "in.txt", c.text);
    NotificationLog notes;
    WaitingSink caseSink([&](const Notification& n) { notes.record(n); });
    CollectionEngine caseEngine(
        history, env, user, caseSink, appLog, [](int) { return std::string(); }, fileOptions(dir / "in.txt"));
    caseEngine.start();
    EXPECT_EQ(caseSink.waitForEnd(std::chrono::seconds(10)), c.kind);
    caseEngine.join();
    if (c.lastStatus) {
      EXPECT_EQ(notes.statusTexts().back(), c.lastStatus);
      EXPECT_TRUE(user.messages().empty()) << "no question";
      EXPECT_FALSE(std::filesystem::exists(location.dataFolder()));
      EXPECT_NE(appLogText().find(c.lastStatus), std::string::npos);
    } else {
      EXPECT_EQ(stored(2024, 1).days[30].readings, (std::vector<Reading>{{10, 0, 30, 21}}));
    }
  }
}

// Like the window's: what the worker asks or shows waits until the window's thread
// handles it, which it does only while it pumps.
class PumpingReporter : public Reporter {
 public:
  void info(const std::string& text) override { hand(text); }
  void error(const std::string& text) override { hand(text); }
  void plain(const std::string& text) override { hand(text); }
  bool askYesNo(const std::string& text) override { return hand(text); }
  Answer askYesNoCancel(const std::string& text) override {
    return hand(text) ? Answer::Yes : Answer::Cancel;
  }
  void beep() override {}
  void beginWait() override { waitCursor_ = true; }
  void endWait() override { waitCursor_ = false; }

  // The window's thread: answers Yes to whatever waits, then sleeps a little.
  void pump(int milliseconds) {
    {
      std::lock_guard lock(mutex_);
      answered_ = asked_;
    }
    handled_.notify_all();
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(milliseconds, 5)));
  }
  bool waiting() {
    std::lock_guard lock(mutex_);
    return answered_ < asked_;
  }
  bool waitCursorShown() const { return waitCursor_; }
  std::vector<std::string> texts() {
    std::lock_guard lock(mutex_);
    return texts_;
  }

 private:
  bool hand(const std::string& text) {
    std::unique_lock lock(mutex_);
    texts_.push_back(text);
    int ticket = ++asked_;
    handled_.wait(lock, [&] { return answered_ >= ticket; });
    return true;
  }

  std::mutex mutex_;
  std::condition_variable handled_;
  int asked_ = 0;
  int answered_ = 0;
  std::vector<std::string> texts_;
  std::atomic<bool> waitCursor_{false};
};

// Waits (without pumping) until condition holds; false after 10 s.
template <typename Condition>
bool eventually(Condition condition) {
  for (auto end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

TEST_F(CollectionTest, CancelWhileTheConfirmationIsOpenStoresNothing) {
  showPreviousData();
  PumpingReporter user;
  writeFile(dir / "in.txt", "12\r\n24/01/31 10:00,0030,21\r\n");
  startEngine(fileOptions(dir / "in.txt"), {}, nullptr, &user);
  ASSERT_TRUE(eventually([&] { return user.waiting(); }));

  auto start = Clock::now();
  // The pump answers Yes, but the question was overtaken by the cancel.
  EXPECT_TRUE(engine->cancel([&](int ms) { user.pump(ms); }));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(std::filesystem::exists(location.dataFolder()));
  expectPreviousDataShown();
  EXPECT_EQ(user.texts().size(), 1u);
}

TEST_F(CollectionTest, CancelWhileAMonthFileIsHeldElsewhereEndsTheWait) {
  MonthRecord january = MonthRecord::makeNew(DateTime::fromFields(2024, 1, 1), defaults);
  addReading(january.days[0], Reading{8, 0, 1, 1});
  store(january);
  const std::string before = readFile(monthFile(2024, 1));
  int held = ::open(monthFile(2024, 1).c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  storage.retry.monthFileLimitMs = 60000;

  showPreviousData();
  PumpingReporter user;
  writeFile(dir / "in.txt", "12\r\n24/01/31 10:00,0030,21\r\n24/02/01 10:00,0030,21\r\n");
  startEngine(fileOptions(dir / "in.txt"), {}, nullptr, &user);
  // Answer the confirmation, then wait until the worker waits for the file.
  ASSERT_TRUE(eventually([&] {
    user.pump(1);
    return user.waitCursorShown();
  }));

  auto start = Clock::now();
  EXPECT_TRUE(engine->cancel([&](int ms) { user.pump(ms); }));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  ::close(held);
  EXPECT_EQ(readFile(monthFile(2024, 1)), before);
  EXPECT_FALSE(std::filesystem::exists(monthFile(2024, 2)));
  expectPreviousDataShown();
  // The failed open is not put in front of the user after the cancel, but logged.
  EXPECT_EQ(user.texts().size(), 1u);
  EXPECT_NE(appLogText().find("ファイルがリードオープン出来ません"), std::string::npos);
}

// A reception file another program keeps from being read: the cancel ends the wait for
// it as promptly as the wait for a month file.
TEST_F(CollectionTest, CancelWhileTheReceptionFileIsHeldElsewhereEndsTheWait) {
  writeFile(dir / "in.txt", "12\r\n24/01/31 10:00,0030,21\r\n");
  const int held = ::open((dir / "in.txt").c_str(), O_RDWR);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  showPreviousData();
  CollectionOptions options = fileOptions(dir / "in.txt");  // waits up to 60 s for the file
  engine = std::make_unique<CollectionEngine>(
      history, env, reporter, sink, appLog, [](int) { return std::string(); }, options);
  engine->start();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  const auto start = Clock::now();
  EXPECT_TRUE(engine->cancel());
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  ::close(held);
  expectPreviousDataShown();
  EXPECT_FALSE(std::filesystem::exists(monthFile(2024, 1)));
}

TEST_F(CollectionTest, CancelDuringTheSaveLeavesWholeMonths) {
  showPreviousData();
  PumpingReporter user;
  writeFile(dir / "in.txt",
            "12\r\n24/01/31 10:00,0030,21\r\n24/02/01 10:00,0030,21\r\n24/03/01 10:00,0030,21\r\n");
  startEngine(fileOptions(dir / "in.txt"), {}, nullptr, &user);
  ASSERT_TRUE(eventually([&] { return user.waiting(); }));
  user.pump(0);  // Yes: the save begins
  EXPECT_TRUE(engine->cancel([&](int ms) { user.pump(ms); }));
  // The worker may finish the save before the cancel reaches it: then the saved months stay.
  if (engine->storeEnded()) {
    EXPECT_EQ(history.months.size(), 3u);
  } else {
    expectPreviousDataShown();
  }
  for (int month = 1; month <= 3; ++month) {
    if (!std::filesystem::exists(monthFile(2024, month))) continue;
    ScriptedReporter quiet;
    StorageContext check{quiet, defaults, {}, false};
    MonthRecord read;
    EXPECT_TRUE(readMonthFile(monthFile(2024, month), read, check)) << month;
  }
}

TEST_F(CollectionTest, AWorkerThatOutlastsTheCancelRestoresTheHistoryItself) {
  showPreviousData();
  PumpingReporter user;
  writeFile(dir / "in.txt", "12\r\n24/01/31 10:00,0030,21\r\n");
  CollectionOptions options = fileOptions(dir / "in.txt");
  options.stopWaitMs = 200;
  startEngine(options, {}, nullptr, &user);
  ASSERT_TRUE(eventually([&] { return user.waiting(); }));

  // The canceller does not pump: the worker is still waiting for its answer.
  EXPECT_FALSE(engine->cancel([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }));
  EXPECT_FALSE(engine->finished());
  // The window's thread gets to its events later; the worker then ends by itself.
  ASSERT_TRUE(eventually([&] {
    user.pump(1);
    return engine->finished();
  }));
  engine->join();
  expectPreviousDataShown();
  EXPECT_FALSE(std::filesystem::exists(location.dataFolder()));
}

// A window that does not get to its events: the worker waits in the post of one text
// until the test lets it go on.
class HeldSink : public NotificationSink {
 public:
  explicit HeldSink(std::string heldText) : heldText_(std::move(heldText)) {}
  void post(const Notification& notification, PendingNotifications& pending) override {
    if (notification.text == heldText_) {
      std::unique_lock lock(mutex_);
      held_ = true;
      changed_.notify_all();
      changed_.wait(lock, [&] { return released_; });
    }
    inner.post(notification, pending);
  }
  bool held() {
    std::lock_guard lock(mutex_);
    return held_;
  }
  void release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  WaitingSink inner;

 private:
  std::string heldText_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false;
  bool released_ = false;
};

// Held up while it stores readings, the worker outlasts the cancel and is asked nothing
// afterwards: only its own end puts the history back.
TEST_F(CollectionTest, AWorkerHeldUpBetweenReadingsRestoresTheHistoryAsItEnds) {
  showPreviousData();
  writeFile(dir / "in.txt", "12\r\n24/01/31 10:00,0030,21\r\n24/01/31 11:00,0030,21\r\n");
  HeldSink held("24/01/31 11:00,0030,21");
  CollectionOptions options = fileOptions(dir / "in.txt");
  options.stopWaitMs = 200;
  CollectionEngine heldEngine(
      history, env, reporter, held, appLog, [](int) { return std::string(); }, options);
  heldEngine.start();
  ASSERT_TRUE(eventually([&] { return held.held(); }));

  EXPECT_FALSE(heldEngine.cancel());
  EXPECT_FALSE(heldEngine.finished());
  held.release();
  ASSERT_TRUE(held.inner.waitForEnd(std::chrono::seconds(10)).has_value());
  heldEngine.join();
  EXPECT_TRUE(heldEngine.finished());
  expectPreviousDataShown();
  EXPECT_TRUE(reporter.messages().empty());
  EXPECT_FALSE(std::filesystem::exists(location.dataFolder()));
}

TEST(SimulatedDevice, LinesOfOneTransmission) {
  std::time_t now = 1714557600;  // some time on 1 May 2024
  int draws[] = {0, 16383, 32767};
  int next = 0;
  SimulatedDevice device([now] { return now; }, [&] { return draws[next++ % 3]; });
  std::string line;
  ASSERT_EQ(device.nextLine(line), 0);
  EXPECT_EQ(line, "100");
  std::vector<std::string> lines;
  for (;;) {
    device.nextLine(line);
    lines.push_back(line);
    if (line == kEndLineText) break;
    ASSERT_LT(lines.size(), 400u);
  }
  EXPECT_GE(lines.size(), 289u);
  EXPECT_LE(lines.size(), 296u);
  // c = -5, -0 and 5: the pulse total grows by 50, 0 and 50; temperatures 15, 20, 25.
  EXPECT_EQ(lines[0].substr(14), ",0050,15");
  EXPECT_EQ(lines[1].substr(14), ",0050,20");
  EXPECT_EQ(lines[2].substr(14), ",0100,25");
  EXPECT_EQ(lines[0].substr(11, 3), ":00");
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(parseReceptionLine(lines[i]).code, kDataLine);
  device.restart();
  device.nextLine(line);
  EXPECT_EQ(line, "100");
}

}  // namespace
}  // namespace pelnor
