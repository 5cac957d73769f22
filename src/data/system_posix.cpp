// The operating system's side of the core on POSIX.
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "data/app_settings.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

std::filesystem::path homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string fixedPortPath(int port) {
  if (port >= 1 && port <= 4) return formatText("/dev/ttyS%d", port - 1);
  if (port >= 5 && port <= 12) return formatText("/dev/ttyUSB%d", port - 5);
  if (port >= 13 && port <= 20) return formatText("/dev/ttyACM%d", port - 13);
  return {};
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

std::string readInstallationId() { return readInstallationId("/etc/machine-id"); }

std::filesystem::path executableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path() : exe.parent_path();
}

std::tm localCalendar(std::time_t when) {
  std::tm local{};
  ::localtime_r(&when, &local);
  return local;
}

bool isInstalledProgramFolder(const std::filesystem::path& folder) {
  const std::string text = pathText(folder.lexically_normal());
  for (const char* prefix : {"/usr/", "/bin", "/sbin", "/opt/"}) {
    if (text.rfind(prefix, 0) == 0) return true;
  }
  // The layout an installation makes (bin/ beside share/applications), wherever unpacked.
  std::error_code ec;
  return std::filesystem::exists(folder / ".." / "share" / "applications" / "pelnor.desktop", ec);
}

std::filesystem::path userDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const std::filesystem::path base =
      xdg && *xdg == '/' ? std::filesystem::path(xdg) : homeFolder() / ".local" / "share";
  return base / "Pelnor";
}

std::string environmentText(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void setEnvironmentText(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }

}  // namespace pelnor
