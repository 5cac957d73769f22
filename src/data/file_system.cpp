// The platform-neutral part of the file system layer.
#include "data/file_system.h"

namespace pelnor {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

std::optional<std::string> readDenyingWriters(const std::filesystem::path& path) {
  UniqueFd fd = openDenyingWriters(path);
  if (!fd.valid()) return std::nullopt;
  try {
    return readAll(fd.get());
  } catch (const FileError&) {
    return std::nullopt;
  }
}

}  // namespace pelnor
