// The Win32 serial port against a pseudo-terminal on the Linux side: Wine maps COMn onto it,
// and serial_line_driver sends the device's bytes or takes the line away when this side asks
// (a request file in a folder both see). Run by scripts/test-windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "comm/port_scan.h"
#include "comm/serial_port.h"
#include "data/app_settings.h"

namespace pelnor {
namespace {

namespace fs = std::filesystem;

class WineSerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* port = std::getenv("PELNOR_SERIAL_PORT");
    const char* requests = std::getenv("PELNOR_SERIAL_REQUESTS");
    if (!port || !requests) GTEST_SKIP() << "needs the device side of scripts/test-windows";
    portNumber = std::atoi(port);
    requestFolder = requests;
  }

  // Asks the device side and waits until it has done it.
  void ask(const std::string& request, const std::string& bytes = {}) {
    const fs::path pending = requestFolder / (request + ".part");
    std::ofstream(pending, std::ios::binary) << bytes;
    fs::rename(pending, requestFolder / request);
    for (int i = 0; i < 1000 && fs::exists(requestFolder / request); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(fs::exists(requestFolder / request)) << "the device side did not answer " << request;
  }

  int readLine(SerialPort& port, std::string& line) {
    char buffer[256];
    std::size_t received = 0;
    const int result = port.ReadLine(buffer, sizeof buffer, received, {"\r\n"});
    line.assign(buffer, received);
    return result;
  }

  int portNumber = 0;
  fs::path requestFolder;
};

TEST_F(WineSerialPortTest, LinesTimeOutsAWakeUpAndAVanishedDevice) {
  SerialPort port;
  port.Configure(portNumber, 38400, 8, 0, 0, 0);
  ASSERT_TRUE(port.Open()) << port.ErrorText();
  EXPECT_EQ(port.devicePath(), "\\\\.\\COM" + std::to_string(portNumber));

  ask("send", "12\r\n24/05/01 10:00,0030,21\r\n");
  std::string line;
  port.SetLineTimeout(10000);
  ASSERT_EQ(readLine(port, line), SerialPort::kLineComplete);
  EXPECT_EQ(line, "12\r\n");
  ASSERT_EQ(readLine(port, line), SerialPort::kLineComplete);
  EXPECT_EQ(line, "24/05/01 10:00,0030,21\r\n");
  EXPECT_FALSE(port.hasPendingInput());

  // Nothing more comes.
  port.SetLineTimeout(200);
  EXPECT_EQ(readLine(port, line), SerialPort::kTimedOut);
  EXPECT_EQ(line, "");

  // A wait without end is ended from another thread, as the reception's cancel does.
  port.SetLineTimeout(SerialPort::kInfinite);
  std::thread cancel([&port] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    port.SetLineTimeout(1);
    port.SetDriverTimeouts(MAXDWORD, 0, 1, 0, 0);
  });
  EXPECT_EQ(readLine(port, line), SerialPort::kTimedOut);
  cancel.join();

  // A byte that is there is still read after the wake-up, and a half line stays pending.
  port.SetDriverTimeouts(MAXDWORD, 10, 1000, 1000, 1000);
  port.SetLineTimeout(10000);
  ask("send", "00/00/00 00:00,0000, 00\r\n");
  ASSERT_EQ(readLine(port, line), SerialPort::kLineComplete);
  EXPECT_EQ(line, "00/00/00 00:00,0000, 00\r\n");

  // The device goes away while a read waits. Windows fails the read of a removed device
  // (a read error); Wine shows a hung-up terminal as silence: every read runs out of time,
  // ClearCommError succeeds and the modem lines cannot be asked. The reception then ends by
  // its line time-out and never hangs.
  ask("vanish");
  port.SetLineTimeout(1500);
  EXPECT_EQ(readLine(port, line), SerialPort::kTimedOut);
  EXPECT_EQ(line, "");
  EXPECT_TRUE(port.Close());
}

TEST_F(WineSerialPortTest, TheScanFindsTheMappedPortAndAMissingPortSaysWhy) {
  const std::vector<int> found = scanPorts(fixedPortPath);
  EXPECT_NE(std::find(found.begin(), found.end(), portNumber), found.end());

  SerialPort missing;
  missing.Configure(portNumber == 20 ? 19 : 20, 2400, 8, 0, 0, 0);
  if (std::find(found.begin(), found.end(), portNumber == 20 ? 19 : 20) != found.end())
    GTEST_SKIP() << "the prefix maps the other port too";
  EXPECT_FALSE(missing.Open());
  EXPECT_FALSE(missing.isOpen());
  EXPECT_NE(missing.LastError(), 0u);
  const std::string text = missing.ErrorText();
  const std::string code = std::to_string(missing.LastError());
  EXPECT_NE(text.find("ｴﾗｰNo:hex("), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - code.size() - 1), code + ")") << text;
  EXPECT_GT(text.find("ｴﾗｰNo:"), 0u) << "the system's own message comes first: " << text;
}

// Such a rate used to open the port, and the reception then waited for ever.
TEST_F(WineSerialPortTest, ABaudRateOfZeroIsRefusedBeforeTheOpen) {
  SerialPort port;
  port.Configure(portNumber, 0, 8, 0, 0, 0);
  EXPECT_FALSE(port.Open());
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(port.LastError(), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(port.ErrorText().starts_with("ボーレイト 0 では \\\\.\\COM" + std::to_string(portNumber) +
                                           " を開けません。"))
      << port.ErrorText();

  port.Configure(portNumber, 38400, 8, 0, 0, 0);
  EXPECT_TRUE(port.Open()) << port.ErrorText();  // the port itself was free
}

}  // namespace
}  // namespace pelnor
