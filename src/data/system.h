// What the core asks of the operating system besides files (see file_errors.h).
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "data/path_text.h"

namespace pelnor {

// The folder of the running program.
std::filesystem::path executableFolder();
// The program's arguments after its name, as UTF-8 text.
std::vector<std::string> commandLineArguments(int argc, char** argv);
// A time as the local calendar shows it.
std::tm localCalendar(std::time_t when);

// An environment variable as UTF-8 text (empty when unset), and setting one.
std::string environmentText(const char* name);
void setEnvironmentText(const char* name, const std::string& value);

// Whether a program folder is an installed program's, shared by the machine's users: under
// /usr, /bin, /sbin or /opt, or beside an installed desktop entry; on Windows under Program
// Files.
bool isInstalledProgramFolder(const std::filesystem::path& folder);
// Where an installed program keeps each user's own data: $XDG_DATA_HOME/Pelnor (by default
// ~/.local/share/Pelnor), on Windows %LOCALAPPDATA%\Pelnor.
std::filesystem::path userDataFolder();

}  // namespace pelnor
