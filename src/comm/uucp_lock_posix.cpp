#include "comm/uucp_lock_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "data/text.h"

namespace pelnor {

namespace {

// A removed stale lock may be taken by someone else before we create ours; a few
// rounds settle that.
constexpr int kAttempts = 3;

// The PID a lock file names: ten right-aligned digits and a newline, or, from old
// programs, the binary int itself. 0 when the file holds neither.
pid_t lockPid(const std::string& file, bool& exists) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    // A lock in a folder we may not look into cannot be honoured; one we may not read is
    // someone's.
    struct stat st {};
    exists = ::lstat(file.c_str(), &st) == 0;
    return 0;
  }
  exists = true;
  char text[32] = {};
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (n <= 0) return 0;
  std::size_t pos = 0;
  while (pos < static_cast<std::size_t>(n) && text[pos] == ' ') ++pos;
  long pid = 0;
  std::size_t digits = 0;
  while (pos < static_cast<std::size_t>(n) && text[pos] >= '0' && text[pos] <= '9' && pid < INT_MAX / 10) {
    pid = pid * 10 + (text[pos++] - '0');
    ++digits;
  }
  const bool ended = pos == static_cast<std::size_t>(n) || isBlank(text[pos]);
  if (digits > 0 && ended) return static_cast<pid_t>(pid);
  if (n == sizeof(int32_t)) {
    int32_t binary = 0;
    std::memcpy(&binary, text, sizeof binary);
    return binary > 0 ? binary : 0;
  }
  return 0;
}

bool processLives(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

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
      return lock;
    }
    const bool folderRefuses = errno != EEXIST;
    bool exists = false;
    const pid_t pid = lockPid(lock.file, exists);
    if (!exists) {
      if (folderRefuses) return lock;  // a folder we cannot write: no lock of ours
      continue;                        // removed meanwhile
    }
    if (pid == ::getpid()) return lock;  // the port is ours already; whether it is free, flock says
    // A file without a PID may be one being written this very moment: respected.
    if (pid <= 0 || processLives(pid)) {
      lock.state = UucpLock::State::Held;
      lock.holder = pid;
      return lock;
    }
    // Stale: its process is gone. Removed only if it still names that process.
    bool stillThere = false;
    if (lockPid(lock.file, stillThere) == pid && ::unlink(lock.file.c_str()) != 0 && errno != ENOENT) {
      return lock;  // a stale lock we may not remove keeps nobody out
    }
    if (folderRefuses) return lock;
  }
  // Someone keeps recreating it.
  bool exists = false;
  lock.holder = lockPid(lock.file, exists);
  lock.state = UucpLock::State::Held;
  return lock;
}

void releaseUucpLock(const std::string& file) {
  bool exists = false;
  if (lockPid(file, exists) == ::getpid()) ::unlink(file.c_str());
}

}  // namespace pelnor
