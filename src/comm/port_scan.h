// Finds the serial ports that can be opened.
#pragma once

#include <string>
#include <vector>

#include "comm/serial_port.h"

namespace pelnor {

constexpr int kFirstScannedPort = 1;
constexpr int kLastScannedPort = 20;

// The port numbers 1..20, ascending, that could be opened with 2400 baud, 8 data bits, no
// parity, one stop bit and no flow control. Each is only probed: a port that another
// program uses is left out and keeps its settings and its unread bytes. noticeLog gets
// what belongs in the application log (a stale lock file removed).
std::vector<int> scanPorts(const PortPathResolver& resolver,
                           const std::string& lockFolder = SerialPort::kLockFolder,
                           const std::function<void(const std::string&)>& noticeLog = {});

}  // namespace pelnor
