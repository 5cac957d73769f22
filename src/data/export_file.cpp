#include "data/export_file.h"

#include "data/system.h"
#include "data/text.h"
#include "data/write_target.h"

namespace pelnor {

namespace {

constexpr const char* kOpenError = "OpenError";

}  // namespace

void saveExportFile(const std::filesystem::path& path, const std::string& bytes,
                    const StorageContext& context) {
  const std::filesystem::path full = std::filesystem::absolute(path);
  // The file the user named is written through its links: the file they end at is
  // replaced, the links stay.
  const WriteTarget where = resolveWriteTarget(full);
  if (where.inPlace) return writeIntoDevice(where.file, bytes, kOpenError);
  UniqueFd lock;
  if (openWithRetry(lock, where.file, OpenMode::Write, context.retry.masterFileLimitMs, context.reporter,
                    context.retry.intervalMs) != kOpenOk) {
    throw CTryErr(formatText("%s\n%s", kOpenError, pathText(full).c_str()));
  }
  saveFileContents(where.file, lock, bytes, false, kOpenError);
}

}  // namespace pelnor
