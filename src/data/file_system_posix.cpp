// The file layer on POSIX: descriptors, flock for the exclusive sharing, a temporary file
// renamed over the old one. The files of a data root are opened with O_NOFOLLOW, and a
// save makes and renames its temporary relative to the folder it opened.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "data/error_reasons.h"
#include "data/file_system.h"
#include "data/held_file_retry.h"
#include "data/owned_file.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace {

std::string systemDescription(int error) { return withReason(std::strerror(error), errnoReason(error)); }

}  // namespace

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

namespace {

// Errors that another try cannot mend; ELOOP is a link that took the file's place.
bool isPermanentDenial(int error) {
  return error == EACCES || error == EPERM || error == EROFS || error == ELOOP;
}

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

PathKind kindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return PathKind::Regular;
  if (S_ISDIR(mode)) return PathKind::Folder;
  return S_ISLNK(mode) ? PathKind::Link : PathKind::Device;
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
  std::filesystem::path folder = path.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

// A new temporary file beside name in folder, named as mkstemp names them ("name.a1B2c3"),
// made where nothing is, never through a link. Invalid, with errno set, when none could
// be made.
UniqueFd createTemporary(int folder, const std::string& name, std::string& tempName) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  constexpr int kTries = 100;
  constexpr int kLetterCount = 6;
  thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
  for (int n = 0; n < kTries; ++n) {
    tempName = name + ".";
    for (int i = 0; i < kLetterCount; ++i) tempName += kLetters[letter(random)];
    UniqueFd fd(
        ::openat(folder, tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.valid() || errno != EEXIST) return fd;
  }
  return UniqueFd();
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
  if (!std::filesystem::is_directory(folderOf(path), ec)) return kOpenNoFolder;
  // Never through a link, never a device or FIFO (opening one could even wait for its
  // other end): those are refused, naming the path.
  const PathKind kind = refuseForeignFile(path);
  // A folder in the file's place cannot become a file by waiting.
  if (kind == PathKind::Folder) return kOpenNoFile;
  if (kind == PathKind::Missing) return mode == OpenMode::Read ? kOpenNoFile : kOpenOk;
  if (mode == OpenMode::Write && hasNoWriteBit(path)) return kOpenDenied;

  const int flags = (mode == OpenMode::Write ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOFOLLOW;
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
  // Looked at before opening: a device or FIFO in the file's place is never opened. What
  // cannot be looked at is not there for a reader; a link is for openWithRetry to refuse.
  const PathKind kind = pathKindAt(path);
  if (kind == PathKind::Link) return QuickOpen::Retry;
  if (kind != PathKind::Regular) return QuickOpen::Missing;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!fd.valid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return QuickOpen::Retry;
  file = std::move(fd);
  return QuickOpen::Opened;
}

void saveFileContents(const std::filesystem::path& path, UniqueFd& lockedFile, const std::string& bytes,
                      bool syncToDisk, const char* openFailureText) {
  const std::string shownPath = pathText(path);
  auto cannotOpen = [&] { return CTryErr(formatText("%s\n%s", openFailureText, shownPath.c_str())); };
  const UniqueFd folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.valid()) throw cannotOpen();
  const std::string name = path.filename().string();
  // What is there now, looked at in the folder the file goes to.
  struct stat old {};
  const bool exists = ::fstatat(folder.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
  if (exists && !S_ISREG(old.st_mode)) {
    throw CTryErr(foreignFileProblem(kindOfMode(old.st_mode), path).value_or(cannotOpen().text()));
  }

  std::string tempName;
  UniqueFd fd = createTemporary(folder.get(), name, tempName);
  if (!fd.valid()) {
    if (isPermanentDenial(errno) && lockedFile.valid()) {
      rewriteInPlace(lockedFile.get(), bytes, syncToDisk, shownPath);
      return;
    }
    throw cannotOpen();
  }
  bool renamed = false;
  struct RemoveTemp {
    int folder;
    const std::string& name;
    const bool& renamed;
    ~RemoveTemp() {
      if (!renamed) ::unlinkat(folder, name.c_str(), 0);
    }
  } removeTemp{folder.get(), tempName, renamed};

  // The new file takes the old one's mode, and its owner and group where we may set them.
  mode_t mode = 0644;
  if (exists) {
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
  // A link put in the file's place meanwhile is replaced itself, never followed.
  if (::renameat(folder.get(), tempName.c_str(), folder.get(), name.c_str()) != 0) throw cannotOpen();
  renamed = true;
  if (syncToDisk) ::fsync(folder.get());
}

void writeIntoDevice(const std::filesystem::path& path, const std::string& bytes,
                     const char* openFailureText) {
  const std::string shownPath = pathText(path);
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) throw CTryErr(formatText("%s\n%s", openFailureText, shownPath.c_str()));
  errno = 0;
  if (!writeFully(fd.get(), bytes))
    throw FileError(systemDescription(errno != 0 ? errno : ENOSPC), shownPath);
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
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0644));
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

PathKind pathKindAt(const std::filesystem::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? kindOfMode(st.st_mode) : PathKind::Missing;
}

std::optional<std::string> readOwnedFile(const std::filesystem::path& path) {
  // Looked at first, so that no device is ever opened; O_NONBLOCK so that a FIFO put in
  // its place meanwhile cannot keep the open waiting.
  if (pathKindAt(path) != PathKind::Regular) return std::nullopt;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  try {
    return readAll(fd.get());
  } catch (const FileError&) {
    return std::nullopt;
  }
}

NewFile createNewFile(const std::filesystem::path& path, std::string_view bytes) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!fd.valid()) return errno == EEXIST ? NewFile::Taken : NewFile::Failed;
  if (writeFully(fd.get(), bytes) && ::close(fd.release()) == 0) return NewFile::Written;
  ::unlink(path.c_str());
  return NewFile::Failed;
}

}  // namespace pelnor
