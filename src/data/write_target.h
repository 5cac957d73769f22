// Where an export to a file the user named really writes: a link is followed to the file it
// names, and what is not a regular file (a device, a FIFO) is written as it is, never
// replaced. The files of a data root never go this way (owned_file.h).
#pragma once

#include <filesystem>

namespace pelnor {

struct WriteTarget {
  std::filesystem::path file;  // the path itself, or the end of its chain of links
  bool inPlace = false;        // an existing device, FIFO or socket: opened and written, never replaced
};

// A link to a regular file gives that file, so replacing it leaves the link alone; a link
// to nothing gives the file it names, which a save then creates. Throws nothing; a chain
// of links that never ends gives the path itself, which then fails to save.
WriteTarget resolveWriteTarget(const std::filesystem::path& path);

}  // namespace pelnor
