#include "data/owned_file.h"

#include "data/file_errors.h"
#include "data/path_text.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr const char* kLinkRefused = "リンクになっているため、開くことが出来ません";
constexpr const char* kDeviceRefused = "デバイスまたはパイプになっているため、開くことが出来ません";

}  // namespace

std::optional<std::string> foreignFileProblem(PathKind kind, const std::filesystem::path& path) {
  if (kind != PathKind::Link && kind != PathKind::Device) return std::nullopt;
  return formatText("%s\n%s", kind == PathKind::Link ? kLinkRefused : kDeviceRefused, pathText(path).c_str());
}

std::optional<std::string> foreignFileProblem(const std::filesystem::path& path) {
  return foreignFileProblem(pathKindAt(path), path);
}

PathKind refuseForeignFile(const std::filesystem::path& path) {
  const PathKind kind = pathKindAt(path);
  if (std::optional<std::string> problem = foreignFileProblem(kind, path)) throw CTryErr(*problem);
  return kind;
}

}  // namespace pelnor
