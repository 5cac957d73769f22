// Applies the six line settings to an open terminal; platform details stay here.
#pragma once

#include <string>

namespace pelnor {

// Returns 0 or the errno of the failing call.
int applyLineSettings(int fd, int baudRate, int dataBits, int stopBits, int parity, int flowControl);

// Why this platform cannot set a data length or a stop bits value (0: 1, 1: 1.5, 2: 2),
// for the settings dialog to show; empty when it can.
std::string unsupportedDataBits(int dataBits);
std::string unsupportedStopBits(int stopBits);

}  // namespace pelnor
