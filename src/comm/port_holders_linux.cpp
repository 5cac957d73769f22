#include "comm/port_holders_linux.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace pelnor {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

pid_t pidOfName(const char* name) {
  char* end = nullptr;
  const long pid = std::strtol(name, &end, 10);
  return end != name && *end == '\0' && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

// True when one of the process's open files is the device.
bool holds(pid_t pid, dev_t device) {
  const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
  Dir fds(::opendir(folder.c_str()));
  if (!fds) return false;  // gone, or not ours to look into
  const int base = ::dirfd(fds.get());
  while (const dirent* entry = ::readdir(fds.get())) {
    if (entry->d_name[0] == '.') continue;
    struct stat st {};
    // Follows the descriptor to the file it has open.
    if (::fstatat(base, entry->d_name, &st, 0) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == device)
      return true;
  }
  return false;
}

}  // namespace

std::string programName(pid_t pid) {
  const std::string file = "/proc/" + std::to_string(pid) + "/comm";
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  char text[64] = {};
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  std::string name(text, n > 0 ? static_cast<std::size_t>(n) : 0);
  while (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

std::optional<PortHolder> findPortHolder(const std::string& devicePath) {
  struct stat device {};
  if (::stat(devicePath.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) return std::nullopt;
  Dir proc(::opendir("/proc"));
  if (!proc) return std::nullopt;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(proc.get())) {
    const pid_t pid = pidOfName(entry->d_name);
    if (pid == 0 || pid == self) continue;
    if (holds(pid, device.st_rdev)) return PortHolder{pid, programName(pid)};
  }
  return std::nullopt;
}

}  // namespace pelnor
