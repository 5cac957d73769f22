#include "comm/system_console_linux.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <sstream>

namespace pelnor {

namespace {

// The device as the kernel's lists name it ("ttyS0", "pts/4") and its number.
struct DeviceName {
  std::string name;
  bool hasNumber = false;
  dev_t number = 0;
};

DeviceName deviceName(const std::string& devicePath) {
  DeviceName device;
  std::error_code ec;
  std::string path = std::filesystem::weakly_canonical(devicePath, ec).string();
  if (ec) path = devicePath;
  constexpr std::string_view kDev = "/dev/";
  if (path.starts_with(kDev)) device.name = path.substr(kDev.size());
  struct stat st {};
  if (::stat(devicePath.c_str(), &st) == 0 && S_ISCHR(st.st_mode)) {
    device.hasNumber = true;
    device.number = st.st_rdev;
  }
  return device;
}

// "4:64" as the kernel writes a device number.
bool sameNumber(const DeviceName& device, const std::string& text) {
  unsigned major = 0, minor = 0;
  char colon = 0;
  std::istringstream in(text);
  return device.hasNumber && (in >> major >> colon >> minor) && colon == ':' &&
         ::makedev(major, minor) == device.number;
}

bool sameName(const DeviceName& device, const std::string& name) {
  return !device.name.empty() && name == device.name;
}

// sys/class/tty/console/active: the console devices' names on one line, "tty0 ttyS0".
bool listedActive(const DeviceName& device, const SystemTrees& trees) {
  std::ifstream in(trees.sys / "class" / "tty" / "console" / "active");
  std::string name;
  while (in >> name) {
    if (sameName(device, name)) return true;
    std::ifstream number(trees.sys / "class" / "tty" / name / "dev");
    std::string text;
    if (std::getline(number, text) && sameNumber(device, text)) return true;
  }
  return false;
}

// proc/consoles: a line per console, its name first and its device number last,
// "ttyS0                -W- (EC p a)    4:64".
bool listedInProc(const DeviceName& device, const SystemTrees& trees) {
  std::ifstream in(trees.proc / "consoles");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, field, last;
    if (!(fields >> name)) continue;
    while (fields >> field) last = field;
    if (sameName(device, name) || sameNumber(device, last)) return true;
  }
  return false;
}

}  // namespace

std::string consoleListing(const std::string& devicePath, const SystemTrees& trees) {
  const DeviceName device = deviceName(devicePath);
  if (listedActive(device, trees)) return (trees.sys / "class" / "tty" / "console" / "active").string();
  if (listedInProc(device, trees)) return (trees.proc / "consoles").string();
  return {};
}

}  // namespace pelnor
