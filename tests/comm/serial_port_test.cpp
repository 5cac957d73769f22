#include "comm/serial_port.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>

#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include "comm/port_scan.h"
#include "support/child_process.h"
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
  port.Configure((dir / "COMM_").string(), 7, 30, 1000, 5242880);
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

TEST(SerialPortAccess, APortRefusedForPermissionSaysWhichGroupGivesAccess) {
  PtyPair pty;
  ASSERT_TRUE(pty.valid());
  ::chmod(pty.slavePath().c_str(), 0660);
  auto hint = test::runInChild(
      [&] {
        SerialPort port([&](int) { return pty.slavePath(); });
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
  EXPECT_EQ(scanPorts(resolver), (std::vector<int>{3, 12}));

  // A port that a reception holds is not offered.
  SerialPort reading(resolver);
  reading.Configure(12, 9600, 8, 0, 0, 0, false);
  ASSERT_TRUE(reading.Open());
  EXPECT_EQ(scanPorts(resolver), (std::vector<int>{3}));
  reading.Close();
  EXPECT_EQ(scanPorts(resolver), (std::vector<int>{3, 12}));
}

}  // namespace
}  // namespace pelnor
