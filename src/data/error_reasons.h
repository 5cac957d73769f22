// Japanese reasons for the system errors a user can act on (a full disk, a missing
// folder, no permission, a busy device), put before the system's own text, which often
// is English.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace pelnor {

// For C library errno values (the same on every platform); empty for other errors.
std::string errnoReason(int error);
// For this platform's own error codes: errno here, GetLastError's codes on Windows.
std::string systemErrorReason(uint32_t code);
// "reason（system text）", or the system text alone when there is no reason for it.
std::string withReason(const std::string& systemText, const std::string& reason);
// The reason for an error code, whichever category it is of.
std::string errorCodeReason(const std::error_code& error);
// The error code's text with its reason.
std::string errorCodeText(const std::error_code& error);

}  // namespace pelnor
