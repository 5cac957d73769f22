// pelnor-cli import and receive, run as a user runs them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "comm/serial_port.h"
#include "comm/uucp_lock_posix.h"
#include "data/device_registry.h"
#include "data/month_file.h"
#include "data/text.h"
#include "support/cli_runner.h"
#include "support/pty_pair.h"
#include "support/scripted_reporter.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;

class CliCollectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeviceRegistry registry;
    for (int32_t id : {12, 100}) {
      DeviceRecord device;
      device.deviceId = id;
      device.customerName = "山田";
      registry.put(device);
    }
    ASSERT_TRUE(registry.save(dir.path(), storage));
  }

  pid_t start(const std::vector<std::string>& args) { return cli.start(args); }
  int finish(pid_t pid) { return cli.finish(pid); }
  int run(const std::vector<std::string>& args) { return cli.run(args); }
  std::string output() const { return cli.output(); }
  std::filesystem::path monthFile(int32_t id, int year, int month) const {
    return dir / "DATA" / formatText("%05d", id) / formatText("D%04d%02d.dmd", year, month);
  }

  TempDir dir;
  CliRunner cli{dir.path()};
  ScriptedReporter reporter;
  StorageContext storage{reporter, {}, {}, false};
};

TEST_F(CliCollectTest, ImportStoresTheMonthsOfADeviceFile) {
  writeFile(dir / "Pelnor.INI", "[Setting]\r\n");
  writeFile(dir / "in.txt", "12\r\n24/01/31 23:30,0040,20\r\n24/02/01 00:00,0005,-3\r\n");
  ASSERT_EQ(run({"import", (dir / "in.txt").string(), "--yes"}), 0) << output();
  MonthRecord january, february;
  ASSERT_TRUE(readMonthFile(monthFile(12, 2024, 1), january, storage));
  ASSERT_TRUE(readMonthFile(monthFile(12, 2024, 2), february, storage));
  EXPECT_EQ(january.days[30].readings.at(0), (Reading{23, 30, 40, 20}));
  EXPECT_EQ(february.days[0].readings.at(0), (Reading{0, 0, 5, -3}));
  std::string out = output();
  EXPECT_NE(out.find("ファイル読み込み中..."), std::string::npos);
  EXPECT_NE(out.find("24/01/31 23:30,0040,20"), std::string::npos);  // received lines are listed
  EXPECT_NE(out.find("集計完了"), std::string::npos);

  // An unknown device ends with a problem and a non-zero exit.
  writeFile(dir / "other.txt", "55\r\n24/03/01 00:00,0005,-3\r\n");
  EXPECT_EQ(run({"import", (dir / "other.txt").string(), "--yes"}), 1);
  EXPECT_NE(output().find("受信した機器ＩＤ = 55"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "DATA" / "00055"));
}

// Run by root, an import into a root whose month is a link to a file elsewhere reads and
// writes nothing there: the month is refused, naming the link, and not saved.
TEST_F(CliCollectTest, ImportRefusesAMonthThatIsALink) {
  writeFile(dir / "Pelnor.INI", "[Setting]\r\n");
  TempDir outside;
  const std::filesystem::path target = outside / "important";
  const std::string important = "not a month, and not Pelnor's\n";
  writeFile(target, important);
  const std::filesystem::path month = monthFile(12, 2024, 1);
  std::filesystem::create_directories(month.parent_path());
  std::filesystem::create_symlink(target, month);
  writeFile(dir / "in.txt", "12\r\n24/01/31 23:30,0040,20\r\n");

  EXPECT_EQ(run({"import", (dir / "in.txt").string(), "--yes"}), 1) << output();
  EXPECT_NE(output().find("リンクになっているため、開くことが出来ません\n" + month.string()),
            std::string::npos)
      << output();
  EXPECT_EQ(readFile(target), important);
  EXPECT_TRUE(std::filesystem::is_symlink(month));
  for (const auto& entry : std::filesystem::directory_iterator(month.parent_path())) {
    if (entry.is_symlink()) continue;
    EXPECT_NE(readFile(entry.path()), important) << entry.path() << " holds what the link names";
  }
}

TEST_F(CliCollectTest, ReceiveFromASerialLine) {
  PtyPair pty;
  ASSERT_TRUE(pty.valid());
  pty.closeSlave();  // a port that another process has open is refused
  writeFile(dir / "Pelnor.INI", "[SerialPorts]\r\nCOM7=" + pty.slavePath() + "\r\n");
  pid_t pid = start({"receive", "--port", "7", "--no"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(pty.write("12\r\n24/05/01 10:00,0030,21\r\n00/00/00 00:00,0000, 00\r\n"));
  EXPECT_EQ(finish(pid), 0) << output();
  EXPECT_FALSE(std::filesystem::exists(dir / "DATA"));  // answered No
  EXPECT_NE(output().find("機器からのデータ送信待ち"), std::string::npos);

  pid = start({"receive", "--port", "7", "--yes"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(pty.write("12\r\n24/05/01 10:00,0030,21\r\n00/00/00 00:00,0000, 00\r\n"));
  EXPECT_EQ(finish(pid), 0) << output();
  MonthRecord may;
  ASSERT_TRUE(readMonthFile(monthFile(12, 2024, 5), may, storage));
  EXPECT_EQ(may.days[0].readings.at(0), (Reading{10, 0, 30, 21}));
}

TEST_F(CliCollectTest, ASecondReceptionCannotOpenThePortTheFirstReads) {
  PtyPair pty;
  ASSERT_TRUE(pty.valid());
  pty.closeSlave();  // a port that another process has open is refused
  writeFile(dir / "Pelnor.INI", "[SerialPorts]\r\nCOM7=" + pty.slavePath() + "\r\n");
  pid_t first = start({"receive", "--port", "7", "--yes"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  CliRunner second(dir / "second");
  std::filesystem::create_directories(dir / "second");
  writeFile(dir / "second" / "Pelnor.INI", "[SerialPorts]\r\nCOM7=" + pty.slavePath() + "\r\n");
  std::filesystem::copy_file(dir / "MCDATA.MST", dir / "second" / "MCDATA.MST");
  EXPECT_EQ(second.run({"receive", "--port", "7", "--yes"}), 1);
  EXPECT_NE(second.output().find("シリアルポートのオープンに失敗,"), std::string::npos) << second.output();
  EXPECT_NE(second.output().find(formatText("ｴﾗｰNo:hex(%X),dec(%d)", EBUSY, EBUSY)), std::string::npos);

  // Two days of half-hourly readings, every one stored as sent.
  std::string lines = "12\r\n";
  std::vector<Reading> sent;
  for (int i = 0; i < 96; ++i) {
    Reading r{(i / 2) % 24, (i % 2) * 30, i * 7, static_cast<double>(i % 40)};
    sent.push_back(r);
    lines += formatText("24/05/%02d %02d:%02d,%04d,%02d\r\n", 1 + i / 48, r.hour, r.minute, r.pulseCount,
                        static_cast<int>(r.temperature));
  }
  ASSERT_TRUE(pty.write(lines + "00/00/00 00:00,0000, 00\r\n"));
  EXPECT_EQ(finish(first), 0) << output();
  MonthRecord may;
  ASSERT_TRUE(readMonthFile(monthFile(12, 2024, 5), may, storage));
  std::vector<Reading> stored = may.days[0].readings;
  stored.insert(stored.end(), may.days[1].readings.begin(), may.days[1].readings.end());
  EXPECT_EQ(stored, sent);
}

// "COM7=" left empty must not mean the fixed rule's device, which may be the console.
TEST_F(CliCollectTest, AnEmptyPortEntryIsNotSetAndSaysSo) {
  writeFile(dir / "Pelnor.INI", "[SerialPorts]\r\nCOM7=\r\n");
  EXPECT_EQ(run({"receive", "--port", "7", "--yes"}), 1);
  const std::string out = output();
  EXPECT_NE(out.find("COM7 の装置が設定されていません（Pelnor.INI の [SerialPorts] COM7= が空です）"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("ポート: COM7（未設定）"), std::string::npos) << out;
  EXPECT_EQ(out.find("機器からのデータ送信待ち"), std::string::npos) << out;
}

// Killed, stopped with Ctrl+C or left by its terminal, a reception takes its port's lock
// file with it and ends as the signal ends a program.
TEST_F(CliCollectTest, AReceptionEndedByASignalLeavesNoLockFile) {
  const std::filesystem::path lockFolder = SerialPort::kLockFolder;
  if (::access(lockFolder.c_str(), W_OK) != 0) GTEST_SKIP() << lockFolder << " cannot be written here";
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(::strsignal(signal));
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    pty.closeSlave();  // a port that another process has open is refused
    writeFile(dir / "Pelnor.INI", "[SerialPorts]\r\nCOM7=" + pty.slavePath() + "\r\n");
    const std::filesystem::path lock = lockFolder / uucpLockName(pty.slavePath());
    const pid_t pid = start({"receive", "--port", "7", "--yes"});
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 1000 && readFile(lock) != formatText("%10d\n", static_cast<int>(pid)); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(readFile(lock), formatText("%10d\n", static_cast<int>(pid))) << output();
    ASSERT_TRUE(pty.write("12\r\n24/05/01 10:00,0030,21\r\n"));  // in the midst of a transmission
    ASSERT_EQ(::kill(pid, signal), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status << "\n" << output();
    EXPECT_FALSE(std::filesystem::exists(lock));
  }
}

// One reception of January and March, nothing of February: both months are stored, and
// that is a success.
TEST_F(CliCollectTest, AReceptionWithAMonthMissingBetweenSucceeds) {
  writeFile(dir / "Pelnor.INI", "[Setting]\r\n");
  writeFile(dir / "in.txt",
            "12\r\n24/01/05 10:00,0030,21\r\n24/03/05 11:00,0040,22\r\n00/00/00 00:00,0000, 00\r\n");
  EXPECT_EQ(run({"import", (dir / "in.txt").string(), "--yes"}), 0) << output();
  MonthRecord january, march;
  ASSERT_TRUE(readMonthFile(monthFile(12, 2024, 1), january, storage));
  ASSERT_TRUE(readMonthFile(monthFile(12, 2024, 3), march, storage));
  EXPECT_EQ(january.days[4].readings.at(0), (Reading{10, 0, 30, 21}));
  EXPECT_EQ(march.days[4].readings.at(0), (Reading{11, 0, 40, 22}));
  EXPECT_FALSE(std::filesystem::exists(monthFile(12, 2024, 2)));  // an empty month is not stored
  EXPECT_EQ(output().find("受信処理で問題が発生しました"), std::string::npos) << output();
  EXPECT_NE(output().find("集計完了"), std::string::npos) << output();
}

TEST_F(CliCollectTest, ReceiveFromTheSimulatedDevice) {
  writeFile(dir / "Pelnor.INI",
            "[Maintenance]\r\nNoneRS=1\r\n[Setting]"
            "\r\n\x8E\xF3\x90\x4D\x83\x66\x81\x5B\x83\x5E\x82\xCC\x95\x5C\x8E\xA6=0\r\n");
  ASSERT_EQ(run({"receive", "--yes"}), 0) << output();
  EXPECT_TRUE(std::filesystem::exists(dir / "DATA" / "00100"));
  EXPECT_NE(output().find("受信処理中..."), std::string::npos);
  EXPECT_EQ(output().find("00/00/00"), std::string::npos);  // received lines are not listed when switched off
}

// Half-hourly readings of the given days of every month from January 2022 on, as a
// device sends them.
std::string transmission(int months, int firstDay, int lastDay) {
  std::string lines = "12\r\n";
  for (int m = 0; m < months; ++m) {
    for (int day = firstDay; day <= lastDay; ++day) {
      for (int slot = 0; slot < 48; ++slot) {
        lines += formatText("%02d/%02d/%02d %02d:%02d,%04d,%02d\r\n", 22 + m / 12, 1 + m % 12, day, slot / 2,
                            slot % 2 * 30, day * 100 + slot, 20);
      }
    }
  }
  return lines + "00/00/00 00:00,0000, 00\r\n";
}

// Two imports of one device at the same time each merge their readings with what the
// other stored: neither's are lost.
TEST_F(CliCollectTest, TwoImportsOfOneDeviceAtOnceKeepBothImportsReadings) {
  constexpr int kMonths = 24;
  writeFile(dir / "Pelnor.INI", "[Setting]\r\n");
  writeFile(dir / "early.txt", transmission(kMonths, 1, 10));
  writeFile(dir / "late.txt", transmission(kMonths, 20, 25));
  for (int round = 0; round < 3; ++round) {
    std::filesystem::remove_all(dir / "DATA");
    const pid_t early = cli.start({"import", (dir / "early.txt").string(), "--yes"}, "early.out");
    const pid_t late = cli.start({"import", (dir / "late.txt").string(), "--yes"}, "late.out");
    ASSERT_EQ(cli.finish(early), 0) << cli.output("early.out");
    ASSERT_EQ(cli.finish(late), 0) << cli.output("late.out");
    int incomplete = 0;
    for (int m = 0; m < kMonths; ++m) {
      MonthRecord month;
      ASSERT_TRUE(readMonthFile(monthFile(12, 2022 + m / 12, 1 + m % 12), month, storage));
      for (int day = 1; day <= 31; ++day) {
        const bool sent = (day >= 1 && day <= 10) || (day >= 20 && day <= 25);
        if (month.days[static_cast<std::size_t>(day - 1)].readings.size() != (sent ? 48u : 0u)) ++incomplete;
      }
    }
    EXPECT_EQ(incomplete, 0) << "round " << round;
  }
}

// A save that fails (here: files may not grow beyond 1 KB, as on a full disk) is a failed
// import that names every month it could not store.
TEST_F(CliCollectTest, AnImportWhoseMonthsCannotBeSavedFailsAndNamesThem) {
  writeFile(dir / "Pelnor.INI", "[Setting]\r\n");
  writeFile(dir / "in.txt", "12\r\n24/01/31 23:30,0040,20\r\n24/02/01 00:00,0005,-3\r\n");
  const pid_t pid = cli.start({"import", (dir / "in.txt").string(), "--yes"}, "out.txt", 1024);
  EXPECT_EQ(cli.finish(pid), 1) << output();
  for (int month : {1, 2}) {
    EXPECT_NE(output().find("保存出来ませんでした:" + monthFile(12, 2024, month).string()), std::string::npos)
        << output();
    EXPECT_FALSE(std::filesystem::exists(monthFile(12, 2024, month)));
  }
  EXPECT_EQ(output().find("集計完了"), std::string::npos);
}

// Two transmissions joined in one file. Without end lines the second one is stored, as the
// device's protocol wants, but the readings of the first are said to be dropped; with end
// lines the first is stored and what follows it is said to be left unread. Either way the
// import fails.
TEST_F(CliCollectTest, TwoTransmissionsInOneFileAreNeverHalfStoredSilently) {
  writeFile(dir / "Pelnor.INI", "[Setting]\r\n");
  const std::string first = "12\r\n24/01/31 23:00,0040,20\r\n24/01/31 23:30,0040,20\r\n";
  const std::string second = "12\r\n24/02/01 00:00,0005,-3\r\n";
  const std::string end = "00/00/00 00:00,0000, 00\r\n";
  struct Case {
    std::string contents;
    const char* said;
    int storedMonth, lostMonth;
  } cases[] = {{first + second, "前の受信データ 2 件を破棄しました", 2, 1},
               {first + end + second + end, "終了データの後に続くデータは読み込みませんでした", 1, 2}};
  for (const Case& c : cases) {
    std::filesystem::remove_all(dir / "DATA");
    writeFile(dir / "in.txt", c.contents);
    EXPECT_EQ(run({"import", (dir / "in.txt").string(), "--yes"}), 1) << output();
    EXPECT_NE(output().find(c.said), std::string::npos) << output();
    EXPECT_TRUE(std::filesystem::exists(monthFile(12, 2024, c.storedMonth)));
    EXPECT_FALSE(std::filesystem::exists(monthFile(12, 2024, c.lostMonth)));
  }
}

}  // namespace
}  // namespace pelnor
