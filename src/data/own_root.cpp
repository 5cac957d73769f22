#include "data/own_root.h"

#include <cstdlib>
#include <string>

#include "data/app_settings.h"
#include "data/file_errors.h"
#include "data/path_text.h"

namespace pelnor {

namespace {

// Installed: in a system folder, or in the layout an installation makes (bin/ beside
// share/applications with our desktop entry), wherever that was unpacked.
bool isInstalled(const std::filesystem::path& folder) {
  const std::string text = pathText(folder.lexically_normal());
  for (const char* prefix : {"/usr/", "/bin", "/sbin", "/opt/"}) {
    if (text.rfind(prefix, 0) == 0) return true;
  }
  std::error_code ec;
  return std::filesystem::exists(folder / ".." / "share" / "applications" / "pelnor.desktop", ec);
}

}  // namespace

std::filesystem::path findOwnDataRoot(const std::filesystem::path& programFolder) {
  if (!isInstalled(programFolder) && canWrite(programFolder)) return programFolder;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const std::filesystem::path base =
      xdg && *xdg == '/' ? std::filesystem::path(xdg) : homeFolder() / ".local" / "share";
  return base / "Pelnor";
}

std::filesystem::path ownDataRoot(const std::filesystem::path& programFolder) {
  const std::filesystem::path root = findOwnDataRoot(programFolder);
  std::error_code ec;
  std::filesystem::create_directories(root, ec);
  return root;
}

}  // namespace pelnor
