// Where the program keeps its own data. A program folder this user can write (a build
// folder, an unpacked archive, a portable copy) is the own data root, as it always was.
// An installed program's folder (under /usr, /bin, /sbin or /opt, beside an installed
// desktop entry, or one the user cannot write) is shared and read-only: its own data root is then the user's
// own folder, $XDG_DATA_HOME/Pelnor (by default ~/.local/share/Pelnor), made when first needed.
#pragma once

#include <filesystem>

namespace pelnor {

std::filesystem::path ownDataRoot(const std::filesystem::path& programFolder);
// The same folder, not made: for a program that only reads.
std::filesystem::path findOwnDataRoot(const std::filesystem::path& programFolder);

}  // namespace pelnor
