#include "data/data_erase.h"

#include <system_error>

#include "data/path_text.h"
#include "data/text.h"

namespace pelnor {

namespace {

EraseResult removeTree(const std::filesystem::path& folder, const std::filesystem::path& expectedParent) {
  const std::string text = pathText(folder);
  if (text.size() > kMaxErasedPathChars) return {false, formatText("%s\n(パスが長すぎます)", text.c_str())};
  // Only a folder of exactly the expected place, and never through a link to elsewhere.
  if (tidyPath(folder).parent_path() != tidyPath(expectedParent) || tidyPath(folder).filename().empty()) {
    return {false, formatText("%s\n(削除の対象ではありません)", text.c_str())};
  }
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(folder, ec);
  if (!std::filesystem::exists(status)) return {};
  if (std::filesystem::is_symlink(status)) {
    std::filesystem::remove(folder, ec);  // the link goes, what it points at stays
  } else {
    std::filesystem::remove_all(folder, ec);
  }
  if (ec) return {false, formatText("%s\n%s", text.c_str(), ec.message().c_str())};
  return {};
}

}  // namespace

EraseResult eraseDeviceData(const DataLocation& location, int32_t deviceId) {
  if (deviceId < 0) return {false, formatText("機器ＩＤ %d", deviceId)};
  return removeTree(location.deviceFolder(deviceId), location.dataFolder());
}

EraseResult eraseAllData(const DataLocation& location) {
  return removeTree(location.dataFolder(), location.root());
}

}  // namespace pelnor
