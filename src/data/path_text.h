// Paths and the UTF-8 text the program keeps them as. On Windows a path built from a plain
// std::string takes the bytes in the system's code page, so every crossing goes through here.
// And the tidy form of a path, for telling whether two name the same place.
#pragma once

#include <filesystem>
#include <string>

namespace pelnor {

inline std::filesystem::path pathFromText(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string pathText(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

// A path without "." or ".." and without a trailing separator, for comparing places.
inline std::filesystem::path tidyPath(const std::filesystem::path& path) {
  std::filesystem::path normal = path.lexically_normal();
  if (!normal.has_filename() && normal.has_parent_path()) normal = normal.parent_path();
  return normal;
}

}  // namespace pelnor
