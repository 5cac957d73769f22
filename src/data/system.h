// What the core asks of the operating system besides files (see file_errors.h).
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

namespace pelnor {

// The folder of the running program.
std::filesystem::path executableFolder();
// A path as text (UTF-8), for messages.
std::string pathText(const std::filesystem::path& path);
// A time as the local calendar shows it.
std::tm localCalendar(std::time_t when);

}  // namespace pelnor
