#include "data/data_erase.h"

#include <system_error>

#include "data/data_locks.h"
#include "data/path_text.h"
#include "data/text.h"

namespace pelnor {

namespace fs = std::filesystem;

namespace {

EraseResult failure(const fs::path& path, const std::string& reason) {
  return {false, formatText("%s\n%s", pathText(path).c_str(), reason.c_str())};
}

// Only a folder of exactly the expected place, and never through a link to elsewhere.
std::optional<EraseResult> refusal(const fs::path& folder, const fs::path& expectedParent) {
  const std::string text = pathText(folder);
  if (text.size() > kMaxErasedPathChars)
    return EraseResult{false, formatText("%s\n(パスが長すぎます)", text.c_str())};
  if (tidyPath(folder).parent_path() != tidyPath(expectedParent) || tidyPath(folder).filename().empty()) {
    return EraseResult{false, formatText("%s\n(削除の対象ではありません)", text.c_str())};
  }
  return std::nullopt;
}

// A device's folder: everything in it goes while its lock is held.
EraseResult removeDeviceFolder(const fs::path& folder, const StorageContext& context) {
  std::error_code ec;
  const auto status = fs::symlink_status(folder, ec);
  if (!fs::exists(status)) return {};
  if (!fs::is_directory(status)) {
    fs::remove(folder, ec);  // a link goes, what it points at stays
    return ec ? failure(folder, ec.message()) : EraseResult{};
  }
  FileLock lock;
  if (!lockDeviceFolder(lock, folder, false, context)) return failure(folder, "(他のプログラムが使用中です)");
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    if (entry.path().filename() == kDeviceLockName) continue;
    std::error_code one;
    fs::remove_all(entry.path(), one);
    if (one) return failure(entry.path(), one.message());
  }
  if (ec) return failure(folder, ec.message());
  lock.releaseAndRemove(folder / kDeviceLockName);
  fs::remove(folder, ec);  // not empty when another program has saved anew meanwhile
  return {};
}

}  // namespace

EraseResult eraseDeviceData(const DataLocation& location, int32_t deviceId, const StorageContext& context) {
  if (deviceId < 0) return {false, formatText("機器ＩＤ %d", deviceId)};
  const fs::path folder = location.deviceFolder(deviceId);
  if (auto refused = refusal(folder, location.dataFolder())) return *refused;
  return removeDeviceFolder(folder, context);
}

EraseResult eraseAllData(const DataLocation& location, const StorageContext& context) {
  const fs::path data = location.dataFolder();
  if (auto refused = refusal(data, location.root())) return *refused;
  std::error_code ec;
  const auto status = fs::symlink_status(data, ec);
  if (!fs::exists(status)) return {};
  if (!fs::is_directory(status)) {
    fs::remove(data, ec);  // a link goes, what it points at stays
    return ec ? failure(data, ec.message()) : EraseResult{};
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(data, ec)) {
    EraseResult removed = removeDeviceFolder(entry.path(), context);
    if (!removed.ok) return removed;
  }
  if (ec) return failure(data, ec.message());
  fs::remove(data, ec);
  return {};
}

}  // namespace pelnor
