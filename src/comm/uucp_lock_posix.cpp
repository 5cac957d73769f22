#include "comm/uucp_lock_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "data/text.h"

namespace pelnor {

namespace {

// A removed stale lock may be taken by someone else before we create ours; a few
// rounds settle that.
constexpr int kAttempts = 3;

// What a lock file holds.
struct LockContents {
  bool exists = false;
  bool readable = false;
  // The PID it names: ten right-aligned digits and a newline, or, from old programs, the
  // binary int itself. 0 when the file holds neither.
  pid_t pid = 0;
  std::time_t modified = 0;
};

LockContents readLock(const std::string& file) {
  LockContents lock;
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    // A lock in a folder we may not look into cannot be honoured; one we may not read is
    // someone's.
    struct stat st {};
    lock.exists = ::lstat(file.c_str(), &st) == 0;
    return lock;
  }
  lock.exists = true;
  // Anything but a plain file there is somebody's, whatever it holds.
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return lock;
  }
  lock.readable = true;
  lock.modified = st.st_mtime;
  char text[32] = {};
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (n <= 0) return lock;
  // An old program's binary PID: four bytes, the highest 0 for every possible PID. Told
  // apart first, or a PID such as 53 ("5" and three zero bytes) would read as the text "5".
  if (n == sizeof(int32_t) && std::memchr(text, '\0', sizeof(int32_t)) != nullptr) {
    int32_t binary = 0;
    std::memcpy(&binary, text, sizeof binary);
    lock.pid = binary > 0 ? binary : 0;
    return lock;
  }
  std::size_t pos = 0;
  while (pos < static_cast<std::size_t>(n) && text[pos] == ' ') ++pos;
  long pid = 0;
  std::size_t digits = 0;
  while (pos < static_cast<std::size_t>(n) && text[pos] >= '0' && text[pos] <= '9' && pid < INT_MAX / 10) {
    pid = pid * 10 + (text[pos++] - '0');
    ++digits;
  }
  const bool ended = pos == static_cast<std::size_t>(n) || isBlank(text[pos]);
  if (digits > 0 && ended) lock.pid = static_cast<pid_t>(pid);
  return lock;
}

bool processLives(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

// A file without a PID may be one being written this very moment; only one that has
// stayed so for long is left over.
bool abandonedUnwritten(const LockContents& lock) {
  return lock.readable && std::time(nullptr) - lock.modified > kUnwrittenLockSeconds;
}

// Why a lock is stale, for the log; empty when it is not.
std::string staleReason(const LockContents& lock) {
  if (lock.pid > 0) {
    return processLives(lock.pid)
               ? std::string()
               : formatText("PID %d のプロセスは終了しています", static_cast<int>(lock.pid));
  }
  return abandonedUnwritten(lock)
             ? formatText("PID が書かれていないまま %d 秒以上たっています", kUnwrittenLockSeconds)
             : std::string();
}

// Creates the file with our PID; false with errno when it cannot.
bool createLock(const std::string& file) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return false;
  const std::string text = formatText("%10d\n", static_cast<int>(::getpid()));
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  const int error = errno;
  if (::close(fd) != 0 || !written) {
    ::unlink(file.c_str());  // a half-written lock would keep others out for good
    errno = written ? EIO : error;
    return false;
  }
  return true;
}

// The lock files this process holds, where a signal handler can reach them: fixed
// buffers, each read only once its path is complete.
constexpr int kSlotFree = 0;
constexpr int kSlotFilling = 1;
constexpr int kSlotHeld = 2;
constexpr std::size_t kHeldSlots = 8;
struct HeldSlot {
  std::atomic<int> state{kSlotFree};
  char path[PATH_MAX] = {};
};
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");
HeldSlot heldSlots[kHeldSlots];

void rememberHeld(const std::string& file) {
  if (file.size() >= PATH_MAX) return;
  for (HeldSlot& slot : heldSlots) {
    int expected = kSlotFree;
    if (!slot.state.compare_exchange_strong(expected, kSlotFilling)) continue;
    std::memcpy(slot.path, file.c_str(), file.size() + 1);
    slot.state.store(kSlotHeld, std::memory_order_release);
    return;
  }
}

void forgetHeld(const std::string& file) {
  for (HeldSlot& slot : heldSlots) {
    if (slot.state.load(std::memory_order_acquire) == kSlotHeld && file == slot.path) {
      slot.state.store(kSlotFree, std::memory_order_release);
    }
  }
}

}  // namespace

std::string uucpLockName(const std::string& devicePath) {
  std::error_code ec;
  std::string path = std::filesystem::canonical(devicePath, ec).string();
  if (ec) path = devicePath;
  for (std::string_view prefix : {"/dev/", "/"}) {
    if (path.starts_with(prefix)) {
      path.erase(0, prefix.size());
      break;
    }
  }
  for (char& c : path) {
    if (c == '/') c = '_';
  }
  return "LCK.." + path;
}

UucpLock takeUucpLock(const std::string& folder, const std::string& devicePath) {
  UucpLock lock;
  lock.file = (std::filesystem::path(folder) / uucpLockName(devicePath)).string();
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (createLock(lock.file)) {
      lock.state = UucpLock::State::Taken;
      rememberHeld(lock.file);
      return lock;
    }
    const bool folderRefuses = errno != EEXIST;
    const LockContents found = readLock(lock.file);
    if (!found.exists) {
      if (folderRefuses) return lock;  // a folder we cannot write: no lock of ours
      continue;                        // removed meanwhile
    }
    if (found.pid == ::getpid()) return lock;  // the port is ours already; whether it is free, flock says
    const std::string reason = staleReason(found);
    if (reason.empty()) {
      lock.state = UucpLock::State::Held;
      lock.holder = found.pid;
      return lock;
    }
    // Removed only if it is still the file judged stale.
    const LockContents again = readLock(lock.file);
    if (again.exists && again.pid == found.pid && again.modified == found.modified) {
      if (::unlink(lock.file.c_str()) == 0)
        lock.staleRemoved =
            formatText("古いロックファイル %s を削除しました（%s）", lock.file.c_str(), reason.c_str());
      else if (errno != ENOENT)
        return lock;  // a stale lock we may not remove keeps nobody out
    }
    if (folderRefuses) return lock;
  }
  // Someone keeps recreating it.
  lock.holder = readLock(lock.file).pid;
  lock.state = UucpLock::State::Held;
  return lock;
}

void releaseUucpLock(const std::string& file) {
  // Forgotten first: a signal in between must not remove a lock someone else took since.
  forgetHeld(file);
  if (readLock(file).pid == ::getpid()) ::unlink(file.c_str());
}

void removeHeldUucpLocks() {
  for (HeldSlot& slot : heldSlots) {
    if (slot.state.load(std::memory_order_acquire) == kSlotHeld) ::unlink(slot.path);
  }
}

}  // namespace pelnor
