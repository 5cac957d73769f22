// One writer at a time: a lock file that a program holds while it changes what the lock
// guards (a device's months, a device master). Programs that share a data root wait for
// each other through it; the files themselves keep their own exclusive opens.
#pragma once

#include <atomic>
#include <filesystem>

#include "data/file_system.h"
#include "data/reporter.h"

namespace pelnor {

inline constexpr const char* kDeviceLockName = "DEVICE.LCK";  // in each device folder
inline constexpr const char* kMasterLockName = "MCDATA.LCK";  // beside MCDATA.MST

class FileLock {
 public:
  bool held() const { return file_.valid(); }
  void release() { file_.reset(); }
  // Ends the lock and removes its file, so that a program waiting for it takes a new
  // one; where another program has it open the file stays (the platform's side).
  void releaseAndRemove(const std::filesystem::path& path);

 private:
  friend int acquireFileLock(FileLock&, const std::filesystem::path&, int, Reporter&, int,
                             const std::atomic<bool>*);
  UniqueFd file_;
};

// What one try at a lock file found.
enum class LockTry {
  Held,        // the lock is ours
  Busy,        // another program holds it
  NoFolder,    // the folder of the lock file does not exist
  Unavailable  // no lock file can be had here (a folder that takes no new file)
};

// One try: creates the lock file when missing and locks it without waiting. The platform
// side; file receives the open lock file when the result is Held.
LockTry tryFileLock(const std::filesystem::path& path, UniqueFd& file);

// Takes the lock at path, retrying every intervalMs while another program holds it, until
// limitMs have passed (kOpenTimedOut; 0: one try) or *abandon becomes true or the person
// gives up the wait the reporter shows (kOpenAbandoned). A missing folder is kOpenNoFolder.
// Where no lock file can be had, nobody can hold one there: the result is kOpenOk with the
// lock not held.
int acquireFileLock(FileLock& lock, const std::filesystem::path& path, int limitMs, Reporter& reporter,
                    int intervalMs = OpenRetry::kIntervalMs, const std::atomic<bool>* abandon = nullptr);

}  // namespace pelnor
