// Where the system tells about its devices: the sysfs and proc trees. Tests give trees
// of their own.
#pragma once

#include <filesystem>

namespace pelnor {

struct SystemTrees {
  std::filesystem::path sys = "/sys";
  std::filesystem::path proc = "/proc";
};

}  // namespace pelnor
