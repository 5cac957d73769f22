#include "data/export_file.h"

#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace {

constexpr const char* kOpenError = "OpenError";

}  // namespace

void saveExportFile(const std::filesystem::path& path, const std::string& bytes,
                    const StorageContext& context) {
  const std::filesystem::path full = std::filesystem::absolute(path);
  UniqueFd lock;
  if (openWithRetry(lock, full, OpenMode::Write, context.retry.masterFileLimitMs, context.reporter,
                    context.retry.intervalMs) != kOpenOk) {
    throw CTryErr(formatText("%s\n%s", kOpenError, pathText(full).c_str()));
  }
  saveFileContents(full, lock, bytes, false, kOpenError);
}

}  // namespace pelnor
