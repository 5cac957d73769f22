#include "data/data_locks.h"

#include "data/data_location.h"
#include "data/owned_file.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr const char* kBusy = "他のプログラムがデータを更新中のため、保存出来ません";
constexpr const char* kGaveUp = "他のプログラムがデータを更新中のため、保存を中止しました";

bool reportUnless(int result, const std::filesystem::path& what, const StorageContext& context) {
  if (result == kOpenOk || result == kOpenNoFolder) return true;
  context.reporter.info(
      formatText("%s\n%s", result == kOpenAbandoned ? kGaveUp : kBusy, pathText(what).c_str()));
  return false;
}

// A link, device or FIFO where the lock file goes is refused before anything is opened.
bool refusedLockFile(const std::filesystem::path& lockFile, const StorageContext& context) {
  const std::optional<std::string> problem = foreignFileProblem(lockFile);
  if (problem) context.reporter.info(*problem);
  return problem.has_value();
}

}  // namespace

bool lockDeviceFolder(FileLock& lock, const std::filesystem::path& deviceFolder, bool createFolder,
                      const StorageContext& context) {
  if (refusedLockFile(deviceFolder / kDeviceLockName, context)) return false;
  // A folder that another program erased while we waited is made again.
  constexpr int kTries = 3;
  int result = kOpenNoFolder;
  for (int i = 0; i < kTries && result == kOpenNoFolder; ++i) {
    if (createFolder && !DataLocation::createFolderPath(deviceFolder)) break;
    result = acquireFileLock(lock, deviceFolder / kDeviceLockName, context.retry.monthFileLimitMs,
                             context.reporter, context.retry.intervalMs, context.abandon);
    if (!createFolder) break;
  }
  return reportUnless(result, deviceFolder, context);
}

bool lockMasterFile(FileLock& lock, const std::filesystem::path& masterFile, const StorageContext& context) {
  if (refusedLockFile(masterFile.parent_path() / kMasterLockName, context)) return false;
  const int result =
      acquireFileLock(lock, masterFile.parent_path() / kMasterLockName, context.retry.masterFileLimitMs,
                      context.reporter, context.retry.intervalMs, context.abandon);
  return reportUnless(result, masterFile, context);
}

}  // namespace pelnor
