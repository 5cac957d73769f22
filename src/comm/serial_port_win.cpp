// The serial port on Windows: CreateFileW with no sharing, the DCB for the line settings and
// overlapped reads, so that an event set by another thread can end a wait as the pipe does
// on POSIX.
#include <windows.h>

#include <algorithm>

#include "comm/serial_port.h"
#include "data/path_text.h"
#include "data/wide_text_win.h"

namespace pelnor {

namespace {

constexpr DWORD kReadChunk = 512;
constexpr DWORD kOverrunMs = 1000;

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
std::intptr_t valueOf(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

}  // namespace

void SerialPort::createWake() {
  // wake_[0]: set by SetDriverTimeouts, reset by the wait that sees it; wake_[1]: the
  // overlapped read's event, manual as overlapped I/O wants it (ReadFile resets it).
  HANDLE wake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE read = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  wake_[0] = wake ? valueOf(wake) : kNoHandle;
  wake_[1] = read ? valueOf(read) : kNoHandle;
}

void SerialPort::destroyWake() {
  for (std::intptr_t& event : wake_) {
    if (event != kNoHandle) ::CloseHandle(handleOf(event));
    event = kNoHandle;
  }
}

bool SerialPort::openDevice(bool configure) {
  const std::wstring name = pathFromText(devicePath_).wstring();
  HANDLE port = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    fail(::GetLastError());
    return false;
  }
  handle_ = valueOf(port);
  // Only the six settings change; the handshake lines stay as the driver has them.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!::GetCommState(port, &dcb)) {
    fail(::GetLastError());
    Close();
    return false;
  }
  if (!configure) return true;
  dcb.BaudRate = static_cast<DWORD>(baudRate_);
  dcb.ByteSize = static_cast<BYTE>(dataBits_);
  dcb.Parity = static_cast<BYTE>(parity_);
  dcb.StopBits = static_cast<BYTE>(stopBits_);
  dcb.fParity = parity_ != 0 ? 1 : 0;
  dcb.fOutX = dcb.fInX = flowControl_ == 2 ? 1 : 0;
  if (!::SetCommState(port, &dcb)) {
    fail(::GetLastError());
    Close();
    return false;
  }
  return true;
}

bool SerialPort::closeDevice(bool purge) {
  HANDLE port = handleOf(handle_);
  if (purge) ::PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT);
  const BOOL closed = ::CloseHandle(port);
  handle_ = kNoHandle;
  if (!closed) {
    fail(::GetLastError());
    return false;
  }
  return true;
}

bool SerialPort::wakeReader() {
  if (wake_[0] != kNoHandle) ::SetEvent(handleOf(wake_[0]));
  if (!isOpen()) {
    fail(ERROR_INVALID_HANDLE);
    return false;
  }
  return true;
}

bool SerialPort::hasPendingInput() {
  if (pendingPos_ < pending_.size()) return true;
  if (!isOpen()) return false;
  DWORD errors = 0;
  COMSTAT status{};
  return ::ClearCommError(handleOf(handle_), &errors, &status) && status.cbInQue > 0;
}

SerialPort::ByteRead SerialPort::readByte(char& byte) {
  if (pendingPos_ < pending_.size()) {
    byte = pending_[pendingPos_++];
    return ByteRead::Byte;
  }
  if (!isOpen() || wake_[0] == kNoHandle || wake_[1] == kNoHandle) {
    fail(ERROR_INVALID_HANDLE);
    return ByteRead::Failed;
  }
  HANDLE port = handleOf(handle_);
  // What has come is taken in one read; otherwise one byte is waited for, at most the
  // per-byte multiplier plus the constant. A plain total time-out: every driver (and Wine)
  // keeps that one.
  const uint64_t waitMs = uint64_t{readMultiplier_} + readConstant_;
  DWORD errors = 0;
  COMSTAT status{};
  DWORD wanted = 1;
  if (::ClearCommError(port, &errors, &status) && status.cbInQue > 0)
    wanted = std::min(status.cbInQue, kReadChunk);
  const DWORD driverWait = static_cast<DWORD>(std::clamp<uint64_t>(waitMs, 1, MAXDWORD - 1));
  COMMTIMEOUTS timeouts{0, 0, driverWait, writeMultiplier_, writeConstant_};
  if (!::SetCommTimeouts(port, &timeouts)) {
    fail(::GetLastError());
    return ByteRead::Failed;
  }

  pending_.resize(wanted);
  pendingPos_ = 0;
  OVERLAPPED request{};
  request.hEvent = handleOf(wake_[1]);
  DWORD got = 0;
  if (!::ReadFile(port, pending_.data(), wanted, &got, &request)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) {
      pending_.clear();
      fail(error);
      return ByteRead::Failed;
    }
    // Wait for the read or for a wake-up; a read that is cancelled keeps what it got. A
    // driver that lets a second pass beyond its own time-out has lost its device (Wine
    // does so when the terminal behind the port hangs up).
    HANDLE events[2] = {request.hEvent, handleOf(wake_[0])};
    const DWORD limit = waitMs >= MAXDWORD - kOverrunMs ? INFINITE : static_cast<DWORD>(waitMs + kOverrunMs);
    const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, limit);
    if (woken != WAIT_OBJECT_0) ::CancelIoEx(port, &request);
    if (woken == WAIT_TIMEOUT) {
      ::GetOverlappedResult(port, &request, &got, TRUE);
      pending_.clear();
      fail(ERROR_DEVICE_NOT_CONNECTED);
      return ByteRead::Failed;
    }
    if (!::GetOverlappedResult(port, &request, &got, TRUE)) {
      // A read that was cancelled, or that ran out of time (Wine says so where Windows
      // completes it with nothing), is not a failure.
      const DWORD failure = ::GetLastError();
      if (failure != ERROR_OPERATION_ABORTED && failure != ERROR_TIMEOUT) {
        pending_.clear();
        fail(failure);  // a vanished device is not "no byte yet"
        return ByteRead::Failed;
      }
      got = static_cast<DWORD>(request.InternalHigh);
    }
  }
  pending_.resize(got);
  if (got == 0) return ByteRead::Nothing;
  pendingPos_ = 1;
  byte = pending_[0];
  return ByteRead::Byte;
}

uint32_t SerialPort::currentSystemError() { return ::GetLastError(); }

uint32_t SerialPort::invalidSettingError() { return ERROR_INVALID_PARAMETER; }

// The system's own text for the code, in the user's language, without its line end.
std::string SerialPort::systemMessage(uint32_t code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = length > 0 ? utf8OfWide(std::wstring_view(text, length)) : std::string();
  ::LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

// Windows grants every user the ports: nothing to add to the system's message.
std::string SerialPort::AccessHint() const { return {}; }

}  // namespace pelnor
