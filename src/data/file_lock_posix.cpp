// Lock files on POSIX: flock on a file that every program opens by name.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "data/file_lock.h"

namespace pelnor {

LockTry tryFileLock(const std::filesystem::path& path, UniqueFd& file) {
  for (;;) {
    // Read-only is enough for flock, so a user who may not write the lock file can still
    // wait for it. Never through a link: that could make a file wherever it points.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!fd.valid() && (errno == EACCES || errno == EROFS || errno == EPERM))
      fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.valid()) return errno == ENOENT || errno == ENOTDIR ? LockTry::NoFolder : LockTry::Unavailable;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
      return errno == EWOULDBLOCK ? LockTry::Busy : LockTry::Unavailable;
    // The holder before us may have removed the lock file with its folder (an erase): then
    // ours is a lock on nothing, and the file now at the path is the one to lock.
    struct stat held {
    }, named{};
    if (::fstat(fd.get(), &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      file = std::move(fd);
      return LockTry::Held;
    }
  }
}

void FileLock::releaseAndRemove(const std::filesystem::path& path) {
  // Removed while still held: whoever gets the old file next sees that it is gone.
  ::unlink(path.c_str());
  release();
}

}  // namespace pelnor
