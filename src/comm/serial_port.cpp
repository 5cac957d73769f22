#include "comm/serial_port.h"

#include <chrono>
#include <thread>

#include "data/app_settings.h"
#include "data/text.h"

namespace pelnor {

namespace {

// The driver time-outs every Open() sets: no interval limit, 10 ms per byte plus
// 1000 ms per read, and the same for writes.
constexpr uint32_t kOpenReadInterval = 0xFFFFFFFFu;
constexpr uint32_t kOpenReadMultiplier = 10;
constexpr uint32_t kOpenReadConstant = 1000;
constexpr uint32_t kOpenWriteMultiplier = 1000;
constexpr uint32_t kOpenWriteConstant = 1000;

}  // namespace

uint32_t tickCount() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<uint32_t>(ms.count());
}

SerialPort::SerialPort(PortPathResolver resolver, const LogClock* clock)
    : trace_(clock), resolver_(resolver ? std::move(resolver) : PortPathResolver(fixedPortPath)) {
  createWake();
}

SerialPort::~SerialPort() {
  Close();
  destroyWake();
}

void SerialPort::Configure(int port, int baudRate, int dataBits, int stopBits, int parity, int flowControl,
                           bool overlapped) {
  port_ = port;
  baudRate_ = baudRate;
  dataBits_ = dataBits;
  stopBits_ = stopBits;
  parity_ = parity;
  flowControl_ = flowControl;
  overlapped_ = overlapped;
}

bool SerialPort::settingsUsable() {
  // An empty entry in [SerialPorts] names no device; no other one may stand in for it.
  if (devicePath_.empty()) {
    refuse(invalidSettingError(),
           formatText("COM%d の装置が設定されていません（Pelnor.INI の [SerialPorts] COM%d= が空です）。",
                      port_, port_));
    return false;
  }
  // The driver would take it and the reception would then wait for ever.
  if (baudRate_ > 0) return true;
  refuse(invalidSettingError(),
         formatText("ボーレイト %d では %s を開けません。", baudRate_, devicePath_.c_str()));
  return false;
}

bool SerialPort::Open() {
  Close();
  refusal_.clear();
  devicePath_ = resolver_(port_);
  if (!settingsUsable() || !openDevice(true)) return false;
  if (!SetDriverTimeouts(kOpenReadInterval, kOpenReadMultiplier, kOpenReadConstant, kOpenWriteMultiplier,
                         kOpenWriteConstant)) {
    Close();
    return false;
  }
  pending_.clear();
  pendingPos_ = 0;
  lineTimeoutMs_ = kOpenLineTimeoutMs;
  return true;
}

bool SerialPort::Probe() {
  Close();
  refusal_.clear();
  devicePath_ = resolver_(port_);
  if (!settingsUsable() || !openDevice(false)) return false;
  closeDevice(false);
  return true;
}

bool SerialPort::Close() {
  if (!isOpen()) return true;
  const bool closed = closeDevice(true);
  pending_.clear();
  pendingPos_ = 0;
  return closed;
}

bool SerialPort::SetDriverTimeouts(uint32_t readInterval, uint32_t readMultiplier, uint32_t readConstant,
                                   uint32_t writeMultiplier, uint32_t writeConstant) {
  readInterval_ = readInterval;
  readMultiplier_ = readMultiplier;
  readConstant_ = readConstant;
  writeMultiplier_ = writeMultiplier;
  writeConstant_ = writeConstant;
  // A read that waits with the old values looks again.
  return wakeReader();
}

int SerialPort::ReadLine(char* buffer, std::size_t size, std::size_t& received,
                         const std::vector<std::string>& terminators, int* matchedIndex,
                         std::string* matched) {
  received = 0;
  const std::vector<std::string> working = terminators;  // copied at the start of each call
  std::vector<std::size_t> position(working.size(), 0);
  uint32_t lastByteTick = tickCount();
  int result = kBufferFull;

  for (;;) {
    char byte = 0;
    ByteRead got = readByte(byte);
    if (got == ByteRead::Failed) {
      result = kReadError;
      break;
    }
    if (got == ByteRead::Nothing) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (static_cast<uint32_t>(tickCount() - lastByteTick) > lineTimeoutMs_) {
        result = kTimedOut;
        break;
      }
      continue;
    }

    buffer[received++] = byte;
    // The first terminator whose next expected byte this is advances; all others start over.
    int completed = -1;
    bool advanced = false;
    for (std::size_t t = 0; t < working.size(); ++t) {
      if (!advanced && position[t] < working[t].size() && working[t][position[t]] == byte) {
        advanced = true;
        if (++position[t] == working[t].size()) completed = static_cast<int>(t);
      } else {
        position[t] = 0;
      }
    }
    if (completed >= 0) {
      if (matchedIndex) *matchedIndex = completed;
      if (matched) *matched = working[static_cast<std::size_t>(completed)];
      if (received < size) buffer[received] = '\0';
      result = kLineComplete;
      break;
    }
    if (received >= size) {
      result = kBufferFull;
      break;
    }
    lastByteTick = tickCount();
  }
  if (trace_.enabled() && received > 0)
    trace_.TraceBytes(reinterpret_cast<const uint8_t*>(buffer), received, true);
  return result;
}

std::string SerialPort::ErrorText(uint32_t code) const {
  const bool refused = code == 0 && !refusal_.empty() && lastError_ == refusalCode_;
  if (code == 0) code = lastError_ != 0 ? lastError_.load() : currentSystemError();
  const std::string message = refused ? refusal_ : systemMessage(code);
  return formatText("%sｴﾗｰNo:hex(%X),dec(%lu)", message.c_str(), code, static_cast<unsigned long>(code));
}

}  // namespace pelnor
