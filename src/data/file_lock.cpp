#include "data/file_lock.h"

#include "data/held_file_retry.h"

namespace pelnor {

int acquireFileLock(FileLock& lock, const std::filesystem::path& path, int limitMs, Reporter& reporter,
                    int intervalMs, const std::atomic<bool>* abandon) {
  lock.release();
  HeldFileRetry retry(path, limitMs, intervalMs, reporter, abandon);
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
    if (const int stop = retry.beforeNextTry(); stop != kOpenOk) return stop;
  }
}

}  // namespace pelnor
