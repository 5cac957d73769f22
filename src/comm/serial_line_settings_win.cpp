#include "comm/serial_line_settings.h"

namespace pelnor {

// The Windows serial driver takes every data length and stop bits value offered.
std::string unsupportedDataBits(int) { return {}; }
std::string unsupportedStopBits(int) { return {}; }

}  // namespace pelnor
