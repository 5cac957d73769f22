#include "data/own_root.h"

#include "data/app_settings.h"
#include "data/file_system.h"
#include "data/system.h"

namespace pelnor {

std::filesystem::path findOwnDataRoot(const std::filesystem::path& programFolder) {
  if (!isInstalledProgramFolder(programFolder) && canWrite(programFolder)) return programFolder;
  return userDataFolder();
}

std::filesystem::path ownDataRoot(const std::filesystem::path& programFolder) {
  const std::filesystem::path root = findOwnDataRoot(programFolder);
  std::error_code ec;
  std::filesystem::create_directories(root, ec);
  return root;
}

}  // namespace pelnor
