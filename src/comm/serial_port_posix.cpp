// The serial port on POSIX terminals: an exclusive open that leaves ports of other programs
// alone, poll() for the per-read waits and a pipe that wakes a waiting read from another
// thread.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "comm/port_holders_linux.h"
#include "comm/serial_line_settings.h"
#include "comm/serial_port.h"
#include "comm/system_console_linux.h"
#include "comm/uucp_lock_posix.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr std::size_t kReadChunk = 512;

int fdOf(std::intptr_t handle) { return static_cast<int>(handle); }

void dropLock(std::string& file) {
  if (!file.empty()) releaseUucpLock(file);
  file.clear();
}

// "/dev/ttyS0 は他のプログラム「cat」(PID 1234)が使用中です。", with what is known.
std::string heldText(const std::string& device, pid_t pid, const std::string& program,
                     const std::string& lockFile = {}) {
  std::string text = device + " は他のプログラム";
  if (!program.empty()) text += "「" + program + "」";
  if (pid > 0) text += formatText("(PID %d)", static_cast<int>(pid));
  text += "が使用中です";
  if (!lockFile.empty()) text += "（ロックファイル " + lockFile + "）";
  return text + "。";
}

std::string heldText(const std::string& device, const std::optional<PortHolder>& holder) {
  return holder ? heldText(device, holder->pid, holder->program) : heldText(device, 0, {});
}

}  // namespace

void SerialPort::createWake() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  wake_[0] = ends[0];
  wake_[1] = ends[1];
}

void SerialPort::destroyWake() {
  for (std::intptr_t& end : wake_) {
    if (end != kNoHandle) ::close(fdOf(end));
    end = kNoHandle;
  }
}

bool SerialPort::openDevice(bool configure) {
  // A port that is not there needs no lock (the scan asks after twenty of them).
  struct stat device {};
  if (::stat(devicePath_.c_str(), &device) != 0) {
    fail(static_cast<uint32_t>(errno));
    return false;
  }
  // The kernel's console: not ours to read, although nobody we can see has it open.
  if (const std::string listing = consoleListing(devicePath_, systemTrees_); !listing.empty()) {
    refuse(EBUSY, devicePath_ + " はシステムのコンソールとして使われています（" + listing + "）。");
    return false;
  }
  // Another serial program's lock file: its port, even before it has opened it.
  if (!lockFolder_.empty()) {
    const UucpLock lock = takeUucpLock(lockFolder_, devicePath_);
    if (!lock.staleRemoved.empty() && noticeLog_) noticeLog_(lock.staleRemoved);
    if (lock.state == UucpLock::State::Held) {
      refuse(EBUSY,
             heldText(devicePath_, lock.holder, lock.holder > 0 ? programName(lock.holder) : "", lock.file));
      return false;
    }
    if (lock.state == UucpLock::State::Taken) lockFile_ = lock.file;
  }

  const int fd = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == EBUSY)  // another program's TIOCEXCL
      refuse(EBUSY, heldText(devicePath_, findPortHolder(devicePath_)));
    else
      fail(static_cast<uint32_t>(error));
    dropLock(lockFile_);
    return false;
  }
  // Until the port is ours, nothing but our own marks are taken off it again.
  auto abandon = [&](bool clearExclusive) {
    if (clearExclusive) ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    dropLock(lockFile_);
    return false;
  };
  if (!::isatty(fd)) {
    fail(ENOTTY);
    return abandon(false);
  }
  // No sharing: another program (or another Pelnor) reading the same port would take
  // bytes out of the middle of the readings. The lock is what other instances respect;
  // TIOCEXCL keeps other programs from opening the device at all, root excepted.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK)
      refuse(EBUSY, heldText(devicePath_, findPortHolder(devicePath_)));
    else
      fail(static_cast<uint32_t>(errno));
    return abandon(false);
  }
  int wasExclusive = 0;
  ::ioctl(fd, TIOCGEXCL, &wasExclusive);
  ::ioctl(fd, TIOCEXCL);
  // Programs that take no lock at all, and whoever opened it before our TIOCEXCL. A port
  // in use is left untouched: no purge, no settings.
  if (std::optional<PortHolder> holder = findPortHolder(devicePath_)) {
    refuse(EBUSY, heldText(devicePath_, holder));
    return abandon(wasExclusive == 0);
  }
  handle_ = fd;
  if (!configure) return true;
  if (int error = applyLineSettings(fd, baudRate_, dataBits_, stopBits_, parity_, flowControl_); error != 0) {
    fail(static_cast<uint32_t>(error));
    Close();
    return false;
  }
  return true;
}

bool SerialPort::closeDevice(bool purge) {
  const int fd = fdOf(handle_);
  if (purge) ::tcflush(fd, TCIOFLUSH);
  ::ioctl(fd, TIOCNXCL);
  const int rc = ::close(fd);
  const int error = errno;
  handle_ = kNoHandle;
  dropLock(lockFile_);
  if (rc != 0) {
    fail(static_cast<uint32_t>(error));
    return false;
  }
  return true;
}

bool SerialPort::wakeReader() {
  if (wake_[1] != kNoHandle) {
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(fdOf(wake_[1]), &byte, 1);
  }
  if (!isOpen()) {
    fail(EBADF);
    return false;
  }
  return true;
}

bool SerialPort::hasPendingInput() {
  if (pendingPos_ < pending_.size()) return true;
  if (!isOpen()) return false;
  pollfd p{fdOf(handle_), POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

SerialPort::ByteRead SerialPort::readByte(char& byte) {
  if (pendingPos_ < pending_.size()) {
    byte = pending_[pendingPos_++];
    return ByteRead::Byte;
  }
  if (!isOpen()) {
    fail(EBADF);
    return ByteRead::Failed;
  }
  const int fd = fdOf(handle_);
  // The longest wait for one byte: the per-byte multiplier plus the constant.
  const uint64_t waitMs = uint64_t{readMultiplier_} + readConstant_;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() < 0) return ByteRead::Nothing;
    pollfd fds[2] = {{fd, POLLIN, 0}, {fdOf(wake_[0]), POLLIN, 0}};
    int ready =
        ::poll(fds, wake_[0] != kNoHandle ? 2 : 1, static_cast<int>(std::min<int64_t>(left.count(), 60000)));
    if (ready < 0) {
      if (errno == EINTR) continue;
      fail(static_cast<uint32_t>(errno));
      return ByteRead::Failed;
    }
    if (fds[1].revents & POLLIN) {
      char drain[64];
      while (::read(fds[1].fd, drain, sizeof drain) > 0) {
      }
      return ByteRead::Nothing;  // the time-outs changed: let the caller look again
    }
    if (fds[0].revents & POLLIN) {
      pending_.resize(kReadChunk);
      ssize_t n = ::read(fd, pending_.data(), kReadChunk);
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
      fail(n < 0 ? static_cast<uint32_t>(errno) : EIO);
      return ByteRead::Failed;
    }
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      fail(EIO);  // a vanished device is not "no byte yet"
      return ByteRead::Failed;
    }
  }
}

uint32_t SerialPort::currentSystemError() { return static_cast<uint32_t>(errno); }

uint32_t SerialPort::invalidSettingError() { return EINVAL; }

std::string SerialPort::systemMessage(uint32_t code) { return std::strerror(static_cast<int>(code)); }

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
