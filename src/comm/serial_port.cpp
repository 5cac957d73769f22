#include "comm/serial_port.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "comm/serial_line_settings.h"
#include "data/app_settings.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr std::size_t kReadChunk = 512;

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
    : RotatingLog(clock), resolver_(resolver ? std::move(resolver) : PortPathResolver(fixedPortPath)) {
  if (::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe_[0] = wakePipe_[1] = -1;
}

SerialPort::~SerialPort() {
  Close();
  for (int fd : wakePipe_) {
    if (fd >= 0) ::close(fd);
  }
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

bool SerialPort::Open() {
  Close();
  devicePath_ = resolver_(port_);
  int fd = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    fail(errno);
    return false;
  }
  if (!::isatty(fd)) {
    fail(ENOTTY);
    ::close(fd);
    return false;
  }
  // No sharing: another program (or another Pelnor) reading the same port would take
  // bytes out of the middle of the readings. The lock is what other instances respect;
  // TIOCEXCL keeps other programs from opening the device at all. A port in use is left
  // untouched: no purge, no settings.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    fail(errno == EWOULDBLOCK ? EBUSY : errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  ::ioctl(fd_, TIOCEXCL);
  if (int error = applyLineSettings(fd_, baudRate_, dataBits_, stopBits_, parity_, flowControl_);
      error != 0) {
    fail(error);
    Close();
    return false;
  }
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

bool SerialPort::Close() {
  if (fd_ < 0) return true;
  ::tcflush(fd_, TCIOFLUSH);
  ::ioctl(fd_, TIOCNXCL);
  int rc = ::close(fd_);
  fd_ = -1;
  pending_.clear();
  pendingPos_ = 0;
  if (rc != 0) {
    fail(errno);
    return false;
  }
  return true;
}

bool SerialPort::SetDriverTimeouts(uint32_t readInterval, uint32_t readMultiplier, uint32_t readConstant,
                                   uint32_t writeMultiplier, uint32_t writeConstant) {
  readInterval_ = readInterval;
  readMultiplier_ = readMultiplier;
  readConstant_ = readConstant;
  writeMultiplier_ = writeMultiplier;
  writeConstant_ = writeConstant;
  // Wake a read that waits with the old values.
  if (wakePipe_[1] >= 0) {
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(wakePipe_[1], &byte, 1);
  }
  if (fd_ < 0) {
    fail(EBADF);
    return false;
  }
  return true;
}

bool SerialPort::hasPendingInput() {
  if (pendingPos_ < pending_.size()) return true;
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

SerialPort::ByteRead SerialPort::readByte(char& byte) {
  if (pendingPos_ < pending_.size()) {
    byte = pending_[pendingPos_++];
    return ByteRead::Byte;
  }
  if (fd_ < 0) {
    fail(EBADF);
    return ByteRead::Failed;
  }
  // The longest wait for one byte: the per-byte multiplier plus the constant.
  const uint64_t waitMs = uint64_t{readMultiplier_} + readConstant_;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() < 0) return ByteRead::Nothing;
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    int ready =
        ::poll(fds, wakePipe_[0] >= 0 ? 2 : 1, static_cast<int>(std::min<int64_t>(left.count(), 60000)));
    if (ready < 0) {
      if (errno == EINTR) continue;
      fail(errno);
      return ByteRead::Failed;
    }
    if (fds[1].revents & POLLIN) {
      char drain[64];
      while (::read(wakePipe_[0], drain, sizeof drain) > 0) {
      }
      return ByteRead::Nothing;  // the time-outs changed: let the caller look again
    }
    if (fds[0].revents & POLLIN) {
      pending_.resize(kReadChunk);
      ssize_t n = ::read(fd_, pending_.data(), kReadChunk);
      if (n > 0) {
        pending_.resize(static_cast<std::size_t>(n));
        pendingPos_ = 1;
        byte = pending_[0];
        return ByteRead::Byte;
      }
      pending_.clear();
      pendingPos_ = 0;
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      // No byte although poll said there was one: the other end is gone.
      fail(n < 0 ? errno : EIO);
      return ByteRead::Failed;
    }
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      fail(EIO);  // a vanished device is not "no byte yet"
      return ByteRead::Failed;
    }
  }
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
  if (enabled() && received > 0) TraceBytes(reinterpret_cast<const uint8_t*>(buffer), received, true);
  return result;
}

std::string SerialPort::ErrorText(uint32_t code) const {
  if (code == 0) code = lastError_ != 0 ? lastError_.load() : static_cast<uint32_t>(errno);
  std::string message = std::strerror(static_cast<int>(code));
  return formatText("%sｴﾗｰNo:hex(%X),dec(%lu)", message.c_str(), code, static_cast<unsigned long>(code));
}

std::string SerialPort::AccessHint() const {
  if (lastError_ != EACCES && lastError_ != EPERM) return {};
  struct stat st {};
  if (::stat(devicePath_.c_str(), &st) != 0) return {};
  const struct group* owner = ::getgrgid(st.st_gid);
  if (!owner || st.st_gid == 0) return formatText("%s を開く権限がありません", devicePath_.c_str());
  return formatText(
      "%s を使うにはグループ「%s」に加わる必要があります（sudo usermod -aG %s ユーザー名 "
      "の後、ログインし直してください）",
      devicePath_.c_str(), owner->gr_name, owner->gr_name);
}

}  // namespace pelnor
