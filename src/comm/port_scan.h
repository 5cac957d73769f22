// Finds the serial ports that can be opened.
#pragma once

#include <vector>

#include "comm/serial_port.h"

namespace pelnor {

constexpr int kFirstScannedPort = 1;
constexpr int kLastScannedPort = 20;

// The port numbers 1..20, ascending, that open with 2400 baud, 8 data bits, no parity,
// one stop bit and no flow control; each is closed again at once.
std::vector<int> scanPorts(const PortPathResolver& resolver);

}  // namespace pelnor
