// The operating system's side of the core on POSIX.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "data/app_settings.h"
#include "data/system.h"

namespace pelnor {

std::filesystem::path homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string readInstallationId() { return readInstallationId("/etc/machine-id"); }

std::filesystem::path executableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path() : exe.parent_path();
}

std::string pathText(const std::filesystem::path& path) { return path.string(); }

std::tm localCalendar(std::time_t when) {
  std::tm local{};
  ::localtime_r(&when, &local);
  return local;
}

}  // namespace pelnor
