// Paths and the UTF-8 text the program keeps them as. On Windows a path built from a plain
// std::string takes the bytes in the system's code page, so every crossing goes through here.
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

}  // namespace pelnor
