// One serial port for the receive-only exchange with a device: opened by its number
// COMn with six line settings, read byte by byte into lines with time-outs.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "comm/rotating_log.h"
#include "comm/system_trees.h"

namespace pelnor {

// Resolves COMn to a device path on this platform; empty when the port has none.
using PortPathResolver = std::function<std::string(int port)>;

class SerialPort {
 public:
  static constexpr uint32_t kInfinite = 0xFFFFFFFFu;
  static constexpr uint32_t kOpenLineTimeoutMs = 5000;
  // Where serial programs on POSIX leave their "LCK..<device>" files (unused on Windows,
  // whose open itself refuses a port in use).
  static constexpr const char* kLockFolder = "/var/lock";

  // ReadLine results.
  static constexpr int kLineComplete = 0;
  static constexpr int kReadError = -1;
  static constexpr int kTimedOut = -2;
  static constexpr int kBufferFull = -3;

  explicit SerialPort(PortPathResolver resolver = {}, const LogClock* clock = nullptr);
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // The trace of the bytes received; off until configured.
  RotatingLog& trace() { return trace_; }

  // Takes effect at the next Open().
  void Configure(int port, int baudRate, int dataBits, int stopBits, int parity, int flowControl,
                 bool overlapped = false);
  // A port that another program holds (its lock file, or open at all) is refused
  // untouched: no setting changes, nothing purged.
  bool Open();
  // Whether the port could be opened, without changing anything its user could notice:
  // the same checks as Open(), but no line settings and no purge. The port stays closed.
  bool Probe();
  bool Close();
  bool isOpen() const { return handle_ != kNoHandle; }
  // The folder of the lock files; empty for none.
  void setLockFolder(std::string folder) { lockFolder_ = std::move(folder); }
  // Where the system lists its consoles, which are never opened (unused on Windows).
  void setSystemTrees(SystemTrees trees) { systemTrees_ = std::move(trees); }
  // Receives what the open did on the way that belongs in the application log (a stale
  // lock file removed).
  void setNoticeLog(std::function<void(const std::string&)> log) { noticeLog_ = std::move(log); }

  // Per-read time-outs [ms]: the longest wait of one read of n bytes is
  // readMultiplier * n + readConstant. Safe to call from another thread: a pending
  // read wakes up and goes on with the new values.
  bool SetDriverTimeouts(uint32_t readInterval, uint32_t readMultiplier, uint32_t readConstant,
                         uint32_t writeMultiplier, uint32_t writeConstant);
  void SetLineTimeout(uint32_t milliseconds) { lineTimeoutMs_ = milliseconds; }

  // Reads bytes into buffer until one of the terminators completes (0), a read fails
  // (-1), no byte came within the line time-out (-2) or the buffer is full (-3).
  int ReadLine(char* buffer, std::size_t size, std::size_t& received,
               const std::vector<std::string>& terminators, int* matchedIndex = nullptr,
               std::string* matched = nullptr);

  // True when bytes are waiting to be read, without waiting for any.
  bool hasPendingInput();

  uint32_t LastError() const { return lastError_; }
  // "<message>ｴﾗｰNo:hex(%X),dec(%lu)" for the code (the last error when 0 is given). For
  // a port refused by our own checks the message says why (and who holds the port).
  std::string ErrorText(uint32_t code = 0) const;
  const std::string& devicePath() const { return devicePath_; }
  // After an open refused for lack of permission: how to get access (the group that owns
  // the device); empty otherwise.
  std::string AccessHint() const;

 private:
  enum class ByteRead { Byte, Nothing, Failed };
  void fail(uint32_t error) { lastError_ = error; }
  void refuse(uint32_t error, std::string why) {
    refusal_ = std::move(why);
    refusalCode_ = error;
    lastError_ = error;
  }
  bool settingsUsable();

  // The platform's side, in serial_port_posix.cpp or serial_port_win.cpp.
  void createWake();
  void destroyWake();
  bool openDevice(bool configure);  // exclusively; with the line settings when configure
  bool closeDevice(bool purge);     // the handle is forgotten even when closing fails
  bool wakeReader();                // false (with the error) when the port is not open
  ByteRead readByte(char& byte);
  static uint32_t currentSystemError();
  static uint32_t invalidSettingError();
  static std::string systemMessage(uint32_t code);

  // The open device: a file descriptor, or a HANDLE on Windows. SetDriverTimeouts reads
  // it from another thread.
  static constexpr std::intptr_t kNoHandle = -1;
  std::atomic<std::intptr_t> handle_{kNoHandle};
  // What wakes a waiting read from another thread: the two ends of a pipe, or on Windows
  // an event and the event of the read in flight.
  std::intptr_t wake_[2] = {kNoHandle, kNoHandle};

  RotatingLog trace_;
  PortPathResolver resolver_;
  bool overlapped_ = true;
  int port_ = 1;
  int baudRate_ = 38400;
  int dataBits_ = 8;
  int stopBits_ = 0;
  int parity_ = 0;
  int flowControl_ = 1;
  std::string devicePath_;
  std::string lockFolder_ = kLockFolder;
  std::string lockFile_;  // the lock file we created; empty when none
  SystemTrees systemTrees_;
  std::function<void(const std::string&)> noticeLog_;
  // Why our own checks refused the port, while the last error is still theirs. Written
  // only by the thread that opens; another thread may only set the last error.
  std::string refusal_;
  uint32_t refusalCode_ = 0;
  std::atomic<uint32_t> lineTimeoutMs_{kOpenLineTimeoutMs};
  std::atomic<uint32_t> readInterval_{0}, readMultiplier_{0}, readConstant_{0};
  std::atomic<uint32_t> writeMultiplier_{0}, writeConstant_{0};
  std::atomic<uint32_t> lastError_{0};
  std::vector<char> pending_;  // read from the line, not yet handed out
  std::size_t pendingPos_ = 0;
};

// A 32-bit millisecond tick that wraps like the platform's.
uint32_t tickCount();

}  // namespace pelnor
