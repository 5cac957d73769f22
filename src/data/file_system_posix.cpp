// The file layer on POSIX: descriptors, flock for the exclusive sharing, a temporary file
// renamed over the old one.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "data/error_reasons.h"
#include "data/file_errors.h"
#include "data/held_file_retry.h"
#include "data/system.h"
#include "data/text.h"
#include "data/write_target.h"

namespace pelnor {

namespace {

std::string systemDescription(int error) { return withReason(std::strerror(error), errnoReason(error)); }

}  // namespace

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

namespace {

// Errors that another try cannot mend.
bool isPermanentDenial(int error) { return error == EACCES || error == EPERM || error == EROFS; }

bool hasNoWriteBit(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void writeAll(int fd, const std::string& bytes, off_t offset, const std::string& path) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::pwrite(fd, data, left, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw FileError(systemDescription(n < 0 ? errno : ENOSPC), path);
    data += n;
    offset += n;
    left -= static_cast<std::size_t>(n);
  }
}

void syncFolder(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  UniqueFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

// A device or FIFO takes the bytes as they come: no temporary beside it, no truncation.
void writeThrough(const std::filesystem::path& file, const std::string& bytes, const CTryErr& cannotOpen,
                  const std::string& path) {
  UniqueFd fd(::open(file.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) throw cannotOpen;
  errno = 0;
  if (!writeFully(fd.get(), bytes)) throw FileError(systemDescription(errno != 0 ? errno : ENOSPC), path);
}

// The old way, for folders that take no new files: the same file, rewritten.
void rewriteInPlace(int fd, const std::string& bytes, bool syncToDisk, const std::string& path) {
  writeAll(fd, bytes, 0, path);
  if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) throw FileError(systemDescription(errno), path);
  if (syncToDisk && ::fsync(fd) != 0) throw FileError(systemDescription(errno), path);
}

}  // namespace

int openWithRetry(UniqueFd& file, const std::filesystem::path& path, OpenMode mode, int limitMs,
                  Reporter& reporter, int intervalMs, const std::atomic<bool>* abandon) {
  file.reset();
  std::error_code ec;
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  if (!std::filesystem::is_directory(folder, ec)) return kOpenNoFolder;
  bool exists = std::filesystem::exists(path, ec);
  bool isFolder = std::filesystem::is_directory(path, ec);
  // A folder in the file's place cannot become a file by waiting.
  if (isFolder) return kOpenNoFile;
  if (!exists) return mode == OpenMode::Read ? kOpenNoFile : kOpenOk;
  // A device or FIFO is not ours to lock: opening it could even wait for its other end.
  if (mode == OpenMode::Write && resolveWriteTarget(path).inPlace) return kOpenOk;
  if (mode == OpenMode::Write && hasNoWriteBit(path)) return kOpenDenied;

  const int flags = (mode == OpenMode::Write ? O_RDWR : O_RDONLY) | O_CLOEXEC;
  HeldFileRetry retry(path, limitMs, intervalMs, reporter, abandon);
  for (;;) {
    UniqueFd fd(::open(path.c_str(), flags));
    if (!fd.valid() && isPermanentDenial(errno)) return kOpenDenied;
    if (fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
      file = std::move(fd);
      return kOpenOk;
    }
    if (const int stop = retry.beforeNextTry(); stop != kOpenOk) return stop;
  }
}

QuickOpen openRegularFileOnce(UniqueFd& file, const std::filesystem::path& path) {
  file.reset();
  // stat before open: a device or FIFO in the file's place is never opened. What cannot
  // be looked at is not there for a reader.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return QuickOpen::Missing;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return QuickOpen::Retry;
  file = std::move(fd);
  return QuickOpen::Opened;
}

void saveFileContents(const std::filesystem::path& path, UniqueFd& lockedFile, const std::string& bytes,
                      bool syncToDisk, const char* openFailureText) {
  const std::string shownPath = pathText(path);
  auto cannotOpen = [&] { return CTryErr(formatText("%s\n%s", openFailureText, shownPath.c_str())); };
  const WriteTarget where = resolveWriteTarget(path);
  if (where.inPlace) return writeThrough(where.file, bytes, cannotOpen(), shownPath);
  const std::filesystem::path& target = where.file;

  std::string tempName = target.string() + ".XXXXXX";
  UniqueFd fd(::mkstemp(tempName.data()));
  if (!fd.valid()) {
    if (isPermanentDenial(errno) && lockedFile.valid()) {
      rewriteInPlace(lockedFile.get(), bytes, syncToDisk, shownPath);
      return;
    }
    throw cannotOpen();
  }
  bool renamed = false;
  struct RemoveTemp {
    const std::string& name;
    const bool& renamed;
    ~RemoveTemp() {
      if (!renamed) ::unlink(name.c_str());
    }
  } removeTemp{tempName, renamed};

  // The new file takes the old one's mode, and its owner and group where we may set them.
  struct stat old {};
  mode_t mode = 0644;
  if (::stat(target.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
    if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd.get(), static_cast<uid_t>(-1), old.st_gid) != 0) {
      // Not ours to give away: the file stays ours, with the old mode.
    }
  }
  if (::fchmod(fd.get(), mode) != 0) throw FileError(systemDescription(errno), shownPath);

  writeAll(fd.get(), bytes, 0, shownPath);
  if (syncToDisk && ::fsync(fd.get()) != 0) throw FileError(systemDescription(errno), shownPath);
  if (::close(fd.release()) != 0) throw FileError(systemDescription(errno), shownPath);
  if (::rename(tempName.c_str(), target.c_str()) != 0) throw cannotOpen();
  renamed = true;
  if (syncToDisk) syncFolder(target);
}

std::string readAll(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw FileError(systemDescription(errno));
  // Read straight into the result, asking for one byte more than the file holds so that
  // a file that has not grown is read in one go.
  std::string bytes(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1, '\0');
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.size()) bytes.resize(bytes.size() * 2);
    ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError(systemDescription(errno));
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

UniqueFd openForAppendExclusive(const std::filesystem::path& path) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  if (fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) return fd;
  return UniqueFd();
}

UniqueFd openDenyingWriters(const std::filesystem::path& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  // A shared lock: others may read along, but a writer holding the file waits.
  if (fd.valid() && ::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) return fd;
  return UniqueFd();
}

bool writeFully(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<FileFacts> fileFacts(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileFacts{st.st_mtime, static_cast<int64_t>(st.st_size)};
}

void setModifiedTime(int fd, std::time_t when) {
  timespec times[2] = {{when, 0}, {when, 0}};
  ::futimens(fd, times);
}

bool canWrite(const std::filesystem::path& path) { return ::access(path.c_str(), W_OK) == 0; }

}  // namespace pelnor
