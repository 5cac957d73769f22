#include "comm/serial_port.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <future>
#include <thread>

#include "comm/port_scan.h"
#include "comm/uucp_lock_posix.h"
#include "data/text.h"
#include "support/child_process.h"
#include "support/other_program.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;
using Clock = std::chrono::steady_clock;

const std::vector<std::string> kCrLf{"\r\n"};

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.valid());
    port.setLockFolder(locks.path().string());
    port.Configure(3, 38400, 8, 0, 0, 1, false);
    ASSERT_TRUE(port.Open()) << port.ErrorText();
  }
  // Reads one line with CR LF as the terminator.
  int readLine(std::string& line) {
    char buffer[1000];
    std::size_t received = 0;
    int result = port.ReadLine(buffer, sizeof buffer, received, kCrLf);
    line.assign(buffer, received);
    return result;
  }

  PtyPair pty;
  TempDir locks;
  SerialPort port{[this](int) { return pty.slavePath(); }};
};

TEST_F(SerialPortTest, LinesEndAtCrLfButNotAtCrCrLf) {
  ASSERT_TRUE(pty.write("100\r\nA\r\r\nB\r\n"));
  std::string line;
  EXPECT_EQ(readLine(line), SerialPort::kLineComplete);
  EXPECT_EQ(line, "100\r\n");
  EXPECT_EQ(readLine(line), SerialPort::kLineComplete);
  EXPECT_EQ(line, "A\r\r\nB\r\n");
}

TEST_F(SerialPortTest, MatcherReportsWhichTerminatorEnded) {
  ASSERT_TRUE(pty.write("abc;xy\n"));
  char buffer[100];
  std::size_t received = 0;
  int index = -1;
  std::string matched;
  EXPECT_EQ(port.ReadLine(buffer, sizeof buffer, received, {"\n", ";"}, &index, &matched), 0);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(matched, ";");
  EXPECT_STREQ(buffer, "abc;");
}

TEST_F(SerialPortTest, AFullBufferWithoutLineEnd) {
  ASSERT_TRUE(pty.write(std::string(1200, 'x')));
  std::string line;
  EXPECT_EQ(readLine(line), SerialPort::kBufferFull);
  EXPECT_EQ(line.size(), 1000u);
}

TEST_F(SerialPortTest, TimeOutAndVanishedDevice) {
  port.SetDriverTimeouts(1, 1, 1, 1, 1);
  port.SetLineTimeout(1);
  std::string line;
  EXPECT_EQ(readLine(line), SerialPort::kTimedOut);

  port.SetDriverTimeouts(0xFFFFFFFF, 10, 1000, 1000, 1000);
  port.SetLineTimeout(SerialPort::kInfinite);
  auto pending = std::async(std::launch::async, [this] {
    std::string partial;
    int result = readLine(partial);
    return std::make_pair(result, partial);
  });
  ASSERT_TRUE(pty.write("12/0"));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  pty.closeMaster();
  pty.closeSlave();
  // Not an endless wait for more bytes.
  ASSERT_EQ(pending.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  auto [result, partial] = pending.get();
  EXPECT_EQ(result, SerialPort::kReadError);
  EXPECT_EQ(partial, "12/0");
}

TEST_F(SerialPortTest, ShorterTimeOutsFromAnotherThreadEndAPendingRead) {
  port.SetLineTimeout(SerialPort::kInfinite);
  auto pending = std::async(std::launch::async, [this] {
    std::string line;
    return readLine(line);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  auto start = Clock::now();
  port.SetDriverTimeouts(1, 1, 1, 1, 1);
  port.SetLineTimeout(1);
  ASSERT_EQ(pending.wait_for(std::chrono::seconds(3)), std::future_status::ready);
  EXPECT_EQ(pending.get(), SerialPort::kTimedOut);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(200));
}

// A pseudo-terminal keeps 8 data bits and no parity whatever it is told, so those two
// cannot be seen here; stop bits, flow control, raw mode and the rate can.
TEST_F(SerialPortTest, LineSettingsReachTheTerminal) {
  auto settingsOfSlave = [this] {
    termios t{};
    int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(tcgetattr(fd, &t), 0);
    ::close(fd);
    return t;
  };
  port.Configure(3, 9600, 7, 2, 2, 2, false);
  ASSERT_TRUE(port.Open()) << port.ErrorText();
  termios t = settingsOfSlave();
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  EXPECT_TRUE(t.c_iflag & IXON);
  EXPECT_TRUE(t.c_iflag & IXOFF);
  EXPECT_FALSE(t.c_lflag & ICANON);
  EXPECT_FALSE(t.c_iflag & ICRNL);
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));

  port.Configure(3, 2400, 8, 0, 0, 1, false);
  ASSERT_TRUE(port.Open());
  t = settingsOfSlave();
  EXPECT_FALSE(t.c_cflag & CSTOPB);
  EXPECT_FALSE(t.c_iflag & IXON);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B2400));

  // A rate without a constant of its own is accepted as a number.
  port.Configure(3, 256000, 8, 0, 0, 0, false);
  EXPECT_TRUE(port.Open()) << port.ErrorText();
  port.Configure(3, 9600, 4, 0, 0, 0, false);
  EXPECT_FALSE(port.Open());  // 4 data bits do not exist here
  EXPECT_EQ(port.LastError(), static_cast<uint32_t>(EINVAL));
}

TEST_F(SerialPortTest, ReceivedBytesAreTracedWhenTheTraceIsOn) {
  TempDir dir;
  port.trace().Configure((dir / "COMM_").string(), 7, 30, 1000, 5242880);
  ASSERT_TRUE(pty.write("100\r\n"));
  std::string line;
  ASSERT_EQ(readLine(line), 0);
  std::string trace;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) trace += readFile(entry.path());
  EXPECT_NE(trace.find("**31 30 30 0D 0A \r\n" + std::string(36, ' ') + " 1  0  0 @CR@LF\r\n"),
            std::string::npos)
      << trace;
}

TEST(SerialPort, MissingPortAndErrorText) {
  SerialPort port([](int) { return std::string("/nonexistent/tty"); });
  port.Configure(7, 2400, 8, 0, 0, 0, false);
  EXPECT_FALSE(port.Open());
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(port.LastError(), static_cast<uint32_t>(ENOENT));
  EXPECT_EQ(port.ErrorText(), std::string(std::strerror(ENOENT)) + "ｴﾗｰNo:hex(2),dec(2)");
  EXPECT_EQ(port.ErrorText(0x1F), std::string(std::strerror(0x1F)) + "ｴﾗｰNo:hex(1F),dec(31)");
}

// An empty [SerialPorts] entry: refused by its name, and nothing else is opened instead.
TEST(SerialPort, APortWithoutADeviceIsRefusedByItsEntry) {
  TempDir locks;
  SerialPort port([](int) { return std::string(); });
  port.setLockFolder(locks.path().string());
  port.Configure(1, 9600, 8, 0, 0, 0, false);
  EXPECT_FALSE(port.Open());
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(port.LastError(), static_cast<uint32_t>(EINVAL));
  EXPECT_EQ(
      port.ErrorText(),
      "COM1 の装置が設定されていません（Pelnor.INI の [SerialPorts] COM1= が空です）。ｴﾗｰNo:hex(16),dec(22)");
  EXPECT_FALSE(port.Probe());
  EXPECT_TRUE(std::filesystem::is_empty(locks.path()));
}

TEST(SerialPortAccess, APortRefusedForPermissionSaysWhichGroupGivesAccess) {
  PtyPair pty;
  ASSERT_TRUE(pty.valid());
  ::chmod(pty.slavePath().c_str(), 0660);
  auto hint = test::runInChild(
      [&] {
        SerialPort port([&](int) { return pty.slavePath(); });
        port.setLockFolder({});
        port.Configure(1, 9600, 8, 0, 0, 0, false);
        if (port.Open()) return std::string("opened");
        return port.AccessHint();
      },
      test::ChildLimits{true, -1});
  ASSERT_TRUE(hint);
  struct stat st {};
  ASSERT_EQ(::stat(pty.slavePath().c_str(), &st), 0);
  if (::getuid() != 0 && st.st_uid == ::getuid()) GTEST_SKIP() << "the terminal is this user's own";
  const group* owner = ::getgrgid(st.st_gid);
  ASSERT_NE(owner, nullptr);
  EXPECT_NE(hint->find(pty.slavePath()), std::string::npos) << *hint;
  if (st.st_gid != 0) {
    EXPECT_NE(hint->find(std::string("「") + owner->gr_name + "」"), std::string::npos) << *hint;
  }
}

TEST(PortScan, ListsThePortsThatOpen) {
  PtyPair com3, com12;
  TempDir dir;
  test::writeFile(dir / "not-a-tty", "x");
  auto resolver = [&](int port) -> std::string {
    if (port == 3) return com3.slavePath();
    if (port == 12) return com12.slavePath();
    if (port == 5) return (dir / "not-a-tty").string();
    return "/nonexistent/tty";
  };
  TempDir locks;
  EXPECT_EQ(scanPorts(resolver, locks.path().string()), (std::vector<int>{3, 12}));

  // A port that a reception holds is not offered.
  SerialPort reading(resolver);
  reading.setLockFolder(locks.path().string());
  reading.Configure(12, 9600, 8, 0, 0, 0, false);
  ASSERT_TRUE(reading.Open());
  EXPECT_EQ(scanPorts(resolver, locks.path().string()), (std::vector<int>{3}));
  reading.Close();
  EXPECT_EQ(scanPorts(resolver, locks.path().string()), (std::vector<int>{3, 12}));
}

// The pseudo-terminals' lock names carry their folder: "LCK..4" could be anything.
TEST(UucpLock, NamesFollowTheDeviceBelowDev) {
  PtyPair pty;
  ASSERT_TRUE(pty.valid());
  TempDir dir;
  std::filesystem::create_symlink(pty.slavePath(), dir / "device");
  const std::string ptsLock = "LCK.." + pty.slavePath().substr(5).replace(3, 1, "_");
  struct Case {
    std::string device;
    std::string lock;
  } cases[] = {
      {"/dev/ttyUSB7", "LCK..ttyUSB7"},
      {pty.slavePath(), ptsLock},
      {(dir / "device").string(), ptsLock},  // another name of the same device
  };
  for (const Case& c : cases) EXPECT_EQ(uucpLockName(c.device), c.lock) << c.device;
  EXPECT_TRUE(ptsLock.starts_with("LCK..pts_")) << ptsLock;
}

// A port as another program left it, free or not: 4800 baud, two stop bits, and bytes
// that its next reader is owed.
class PortOfAnotherProgramTest : public ::testing::Test {
 protected:
  static constexpr int kPort = 4;
  const std::string kPending = "24/05/01 10:30,0123,25\r\n";

  void SetUp() override {
    ASSERT_TRUE(pty.valid());
    termios t{};
    ASSERT_EQ(tcgetattr(pty.slave(), &t), 0);
    cfsetspeed(&t, B4800);
    t.c_cflag |= CSTOPB;
    ASSERT_EQ(tcsetattr(pty.slave(), TCSANOW, &t), 0);
    ASSERT_EQ(tcgetattr(pty.slave(), &before), 0);
    ASSERT_TRUE(pty.write(kPending));
    // The terminal takes written bytes in a moment later.
    for (int i = 0; i < 200 && pendingBytes() != static_cast<int>(kPending.size()); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(pendingBytes(), static_cast<int>(kPending.size()));
    port.setLockFolder(locks.path().string());
    port.Configure(kPort, 9600, 8, 0, 0, 0, false);
  }
  int pendingBytes() const {
    int pending = -1;
    ::ioctl(pty.slave(), FIONREAD, &pending);
    return pending;
  }
  // The settings it had, the bytes still there, and nobody's exclusive mark left on it.
  void expectUntouched() const {
    termios now{};
    ASSERT_EQ(tcgetattr(pty.slave(), &now), 0);
    EXPECT_EQ(now.c_cflag, before.c_cflag);
    EXPECT_EQ(now.c_iflag, before.c_iflag);
    EXPECT_EQ(now.c_lflag, before.c_lflag);
    EXPECT_EQ(cfgetispeed(&now), cfgetispeed(&before));
    EXPECT_EQ(pendingBytes(), static_cast<int>(kPending.size()));
    int exclusive = -1;
    ASSERT_EQ(::ioctl(pty.slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
  }
  std::string resolve(int port) const { return port == kPort ? pty.slavePath() : "/nonexistent/tty"; }
  std::filesystem::path lockFile() const { return locks / uucpLockName(pty.slavePath()); }
  std::string busyCode() const { return formatText("ｴﾗｰNo:hex(%X),dec(%d)", EBUSY, EBUSY); }

  PtyPair pty;
  TempDir locks;
  termios before{};
  PortPathResolver resolver = [this](int port) { return resolve(port); };
  SerialPort port{resolver};
};

TEST_F(PortOfAnotherProgramTest, TheScanOnlyLooks) {
  EXPECT_EQ(scanPorts(resolver, locks.path().string()), std::vector<int>{kPort});
  expectUntouched();
  EXPECT_TRUE(std::filesystem::is_empty(locks.path()));  // its lock went with it
}

TEST_F(PortOfAnotherProgramTest, APortAnotherProgramHasOpenIsRefusedUntouched) {
  {
    OtherProgram cat(pty.slavePath());  // no lock file, no flock, no TIOCEXCL
    ASSERT_TRUE(cat.running());
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.LastError(), static_cast<uint32_t>(EBUSY));
    const std::string text = port.ErrorText();
    EXPECT_TRUE(text.starts_with(pty.slavePath() + " ")) << text;
    EXPECT_NE(text.find(formatText("「sleep」(PID %d)", static_cast<int>(cat.pid()))), std::string::npos)
        << text;
    EXPECT_TRUE(text.ends_with(busyCode())) << text;

    EXPECT_TRUE(scanPorts(resolver, locks.path().string()).empty());
    expectUntouched();
    EXPECT_TRUE(std::filesystem::is_empty(locks.path()));  // a refusal leaves no lock behind
  }
  EXPECT_TRUE(port.Open()) << port.ErrorText();  // it was that program
}

TEST_F(PortOfAnotherProgramTest, LockFilesOfOthersAreHonouredAndStaleOnesReplaced) {
  OtherProgram minicom;  // alive, and the port is not open in it: only its lock says so
  ASSERT_TRUE(minicom.running());
  const int32_t binaryPid = minicom.pid();
  struct Case {
    const char* what;
    std::string contents;
    bool opens;
    std::string holder;  // in the refusal
  } cases[] = {
      {"a living program's", formatText("%10d\n", static_cast<int>(minicom.pid())), false,
       formatText("「sleep」(PID %d)", static_cast<int>(minicom.pid()))},
      {"an old program's binary PID",
       std::string(reinterpret_cast<const char*>(&binaryPid), sizeof binaryPid), false,
       formatText("「sleep」(PID %d)", static_cast<int>(minicom.pid()))},
      {"one being written", "", false, "他のプログラムが使用中です"},
      // Last: opening changes the settings and closing purges.
      {"of a program that ended", formatText("%10d\n", static_cast<int>(OtherProgram::endedPid())), true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(lockFile(), c.contents);
    ASSERT_EQ(port.Open(), c.opens) << port.ErrorText();
    if (!c.opens) {
      const std::string text = port.ErrorText();
      EXPECT_NE(text.find(pty.slavePath()), std::string::npos) << text;
      EXPECT_NE(text.find(c.holder), std::string::npos) << text;
      EXPECT_NE(text.find("ロックファイル " + lockFile().string()), std::string::npos) << text;
      EXPECT_TRUE(text.ends_with(busyCode())) << text;
      EXPECT_EQ(readFile(lockFile()), c.contents);
      EXPECT_TRUE(scanPorts(resolver, locks.path().string()).empty());
      expectUntouched();
    } else {
      EXPECT_EQ(readFile(lockFile()), formatText("%10d\n", static_cast<int>(::getpid())));
      port.Close();
      EXPECT_FALSE(std::filesystem::exists(lockFile()));
    }
  }
}

TEST_F(PortOfAnotherProgramTest, OurLockIsTakenForTheOpenPortAndRemovedOnClose) {
  ASSERT_TRUE(port.Open()) << port.ErrorText();
  EXPECT_EQ(readFile(lockFile()), formatText("%10d\n", static_cast<int>(::getpid())));

  SerialPort second(resolver);  // another reception of this program
  second.setLockFolder(locks.path().string());
  second.Configure(kPort, 9600, 8, 0, 0, 0, false);
  EXPECT_FALSE(second.Open());
  EXPECT_TRUE(second.ErrorText().ends_with(busyCode())) << second.ErrorText();
  EXPECT_TRUE(std::filesystem::exists(lockFile()));  // the refused one took nothing away

  port.Close();
  EXPECT_FALSE(std::filesystem::exists(lockFile()));
  // Without a lock folder to write in, the port opens all the same.
  port.setLockFolder((locks / "missing").string());
  EXPECT_TRUE(port.Open()) << port.ErrorText();
}

// As an ordinary user the system's lock folder is often closed to us: no lock of ours
// then, but another program's lock there still counts.
TEST_F(PortOfAnotherProgramTest, ALockFolderWeCannotWriteStillHasItsLocksHonoured) {
  OtherProgram minicom;
  ASSERT_TRUE(minicom.running());
  ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0666), 0);
  ASSERT_EQ(::chmod(locks.path().c_str(), 0555), 0);
  auto openAsUser = [&] {
    return test::runInChild(
        [&] {
          SerialPort user(resolver);
          user.setLockFolder(locks.path().string());
          user.Configure(kPort, 9600, 8, 0, 0, 0, false);
          if (user.Open()) return std::string("opened");
          return user.ErrorText();
        },
        test::ChildLimits{true, -1});
  };
  EXPECT_EQ(openAsUser(), "opened");
  EXPECT_TRUE(std::filesystem::is_empty(locks.path()));

  ASSERT_EQ(::chmod(locks.path().c_str(), 0755), 0);
  writeFile(lockFile(), formatText("%10d\n", static_cast<int>(minicom.pid())));
  ASSERT_EQ(::chmod(locks.path().c_str(), 0555), 0);
  const std::optional<std::string> refused = openAsUser();
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->find("ロックファイル " + lockFile().string()), std::string::npos) << *refused;
  ::chmod(locks.path().c_str(), 0755);
}

// A lock file without a PID may be being written at this moment and keeps the port; one
// that has stayed so for over a minute was left half-made and is replaced, which the log
// hears of. Age never frees the lock of a living program.
TEST_F(PortOfAnotherProgramTest, ALockWithoutAPidIsStaleOnlyOnceItIsOld) {
  OtherProgram minicom;
  ASSERT_TRUE(minicom.running());
  std::vector<std::string> notices;
  port.setNoticeLog([&](const std::string& line) { notices.push_back(line); });
  using std::chrono::seconds;
  struct Case {
    const char* what;
    std::string contents;
    seconds age;
    bool opens;
  } cases[] = {
      {"empty, fresh", "", seconds(0), false},
      {"empty, half a minute", "", seconds(30), false},
      {"malformed, fresh", "locked by me\n", seconds(0), false},
      {"a living program's, old", formatText("%10d\n", static_cast<int>(minicom.pid())), seconds(3600),
       false},
      // Last: opening changes the settings and closing purges.
      {"empty, two minutes", "", seconds(120), true},
      {"malformed, an hour", "locked by me\n", seconds(3600), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    notices.clear();
    writeFile(lockFile(), c.contents);
    std::filesystem::last_write_time(lockFile(), std::filesystem::file_time_type::clock::now() - c.age);
    ASSERT_EQ(port.Open(), c.opens) << port.ErrorText();
    if (!c.opens) {
      EXPECT_NE(port.ErrorText().find("ロックファイル " + lockFile().string()), std::string::npos)
          << port.ErrorText();
      EXPECT_EQ(readFile(lockFile()), c.contents);
      EXPECT_TRUE(notices.empty());
      expectUntouched();
      continue;
    }
    EXPECT_EQ(readFile(lockFile()), formatText("%10d\n", static_cast<int>(::getpid())));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "古いロックファイル " + lockFile().string() +
                              " を削除しました（PID が書かれていないまま 60 秒以上たっています）");
    port.Close();
    EXPECT_FALSE(std::filesystem::exists(lockFile()));
  }
}

// The kernel's console (console=ttyS0) is refused by name before anything is taken, even
// when nobody we can see has it open.
TEST_F(PortOfAnotherProgramTest, TheSystemConsoleIsRefusedUntouched) {
  TempDir tree;
  std::filesystem::create_directories(tree / "sys/class/tty/console");
  std::filesystem::create_directories(tree / "proc");
  writeFile(tree / "sys/class/tty/console/active", "tty0 " + pty.slavePath().substr(5) + "\n");
  port.setSystemTrees(SystemTrees{tree / "sys", tree / "proc"});
  EXPECT_FALSE(port.Open());
  EXPECT_EQ(port.LastError(), static_cast<uint32_t>(EBUSY));
  EXPECT_EQ(port.ErrorText(), pty.slavePath() + " はシステムのコンソールとして使われています（" +
                                  (tree / "sys/class/tty/console/active").string() + "）。" + busyCode());
  EXPECT_FALSE(port.Probe());
  expectUntouched();
  EXPECT_TRUE(std::filesystem::is_empty(locks.path()));

  std::filesystem::remove(tree / "sys/class/tty/console/active");
  EXPECT_TRUE(port.Open()) << port.ErrorText();  // the same port, once it is not the console
}

// The driver takes such a rate, and the reception would then wait for ever.
TEST_F(PortOfAnotherProgramTest, ABaudRateOfZeroOrBelowIsRefusedBeforeTheOpen) {
  for (int baud : {0, -1, INT_MIN}) {
    SCOPED_TRACE(baud);
    port.Configure(kPort, baud, 8, 0, 0, 0, false);
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.LastError(), static_cast<uint32_t>(EINVAL));
    EXPECT_EQ(port.ErrorText(), formatText("ボーレイト %d では %s を開けません。ｴﾗｰNo:hex(16),dec(22)", baud,
                                           pty.slavePath().c_str()));
    EXPECT_FALSE(port.Probe());
  }
  expectUntouched();
  EXPECT_TRUE(std::filesystem::is_empty(locks.path()));  // not even the lock was taken
}

}  // namespace
}  // namespace pelnor
