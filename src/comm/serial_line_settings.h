// Applies the six line settings to an open terminal; platform details stay here.
#pragma once

namespace pelnor {

// Returns 0 or the errno of the failing call.
int applyLineSettings(int fd, int baudRate, int dataBits, int stopBits, int parity, int flowControl);

}  // namespace pelnor
