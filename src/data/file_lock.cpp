#include "data/file_lock.h"

#include <chrono>
#include <optional>
#include <thread>

namespace pelnor {

int acquireFileLock(FileLock& lock, const std::filesystem::path& path, int limitMs, Reporter& reporter,
                    int intervalMs, const std::atomic<bool>* abandon) {
  lock.release();
  const auto start = std::chrono::steady_clock::now();
  std::optional<WaitCursor> wait;
  for (;;) {
    switch (tryFileLock(path, lock.file_)) {
      case LockTry::Held:
      case LockTry::Unavailable:
        return kOpenOk;
      case LockTry::NoFolder:
        return kOpenNoFolder;
      case LockTry::Busy:
        break;
    }
    if (!wait) wait.emplace(reporter);  // only a real wait shows the cursor
    std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    if (abandon && abandon->load()) return kOpenAbandoned;
    if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(limitMs)) return kOpenTimedOut;
  }
}

}  // namespace pelnor
