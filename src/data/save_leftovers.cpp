#include "data/save_leftovers.h"

#include <string>
#include <string_view>
#include <system_error>

#include "data/device_registry.h"
#include "data/file_lock.h"
#include "data/path_text.h"

namespace pelnor {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLockFileNames[] = {kDeviceLockName, kMasterLockName};
constexpr std::size_t kMkstempLetters = 6;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlphanumeric(char c) { return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool allOf(std::string_view text, bool (*test)(char)) {
  for (char c : text) {
    if (!test(c)) return false;
  }
  return !text.empty();
}

// The files that saveFileContents writes into data folders.
bool isSavedDataName(std::string_view name) {
  if (name == kMasterFileName) return true;
  return name.size() == 11 && name[0] == 'D' && allOf(name.substr(1, 6), isDigit) && name.substr(7) == ".dmd";
}

// POSIX: mkstemp's six letters and digits after the name and a dot.
bool isPosixTemporary(std::string_view name) {
  if (name.size() < kMkstempLetters + 1) return false;
  const std::size_t dot = name.size() - kMkstempLetters - 1;
  return name[dot] == '.' && allOf(name.substr(dot + 1), isAlphanumeric) &&
         isSavedDataName(name.substr(0, dot));
}

// Windows: ".<process id>-<try>.tmp" after the name.
bool isWindowsTemporary(std::string_view name) {
  constexpr std::string_view kTail = ".tmp";
  if (name.size() <= kTail.size() || name.substr(name.size() - kTail.size()) != kTail) return false;
  name.remove_suffix(kTail.size());
  const std::size_t dash = name.rfind('-');
  if (dash == std::string_view::npos || !allOf(name.substr(dash + 1), isDigit)) return false;
  const std::size_t dot = name.rfind('.', dash);
  if (dot == std::string_view::npos || !allOf(name.substr(dot + 1, dash - dot - 1), isDigit)) return false;
  return isSavedDataName(name.substr(0, dot));
}

bool isSaveTemporary(const fs::path& name) {
  const std::string text = pathText(name.filename());
  return isPosixTemporary(text) || isWindowsTemporary(text);
}

}  // namespace

bool isSaveLeftover(const fs::path& name) {
  const std::string text = pathText(name.filename());
  for (std::string_view lock : kLockFileNames) {
    if (text == lock) return true;
  }
  return isSaveTemporary(name);
}

void removeSaveLeftovers(const fs::path& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ignored;
    if (isSaveTemporary(it->path()) && fs::is_regular_file(it->symlink_status(ignored)))
      fs::remove(it->path(), ignored);
  }
}

}  // namespace pelnor
