// The file layer on Windows: C runtime descriptors opened with a share mode (no sharing for
// the exclusive open), a temporary file moved over the old one with MoveFileExW. The files
// of a data root are opened with FILE_FLAG_OPEN_REPARSE_POINT, and a link found so refused.
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <sys/utime.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "data/error_reasons.h"
#include "data/file_system.h"
#include "data/held_file_retry.h"
#include "data/link_handle_win.h"
#include "data/owned_file.h"
#include "data/system.h"
#include "data/text.h"

namespace pelnor {

namespace {

std::string systemDescription(int error) { return withReason(std::strerror(error), errnoReason(error)); }

// One open with a share mode; -1 on failure, with the Windows error in windowsError.
int openShared(const std::filesystem::path& path, int flags, int share, DWORD& windowsError) {
  int fd = -1;
  const errno_t result =
      ::_wsopen_s(&fd, path.c_str(), flags | _O_BINARY | _O_NOINHERIT, share, _S_IREAD | _S_IWRITE);
  windowsError = result == 0 ? 0 : static_cast<DWORD>(_doserrno);
  return result == 0 ? fd : -1;
}

// A file of a data root, opened as openShared opens it (with _O_CREAT made when missing)
// but never through a link; -1 on failure, with the Windows error in windowsError.
int openOwned(const std::filesystem::path& path, int flags, int share, DWORD& windowsError) {
  const DWORD access = (flags & _O_RDWR)     ? GENERIC_READ | GENERIC_WRITE
                       : (flags & _O_WRONLY) ? GENERIC_WRITE
                                             : GENERIC_READ;
  const DWORD sharing = share == _SH_DENYRW   ? 0
                        : share == _SH_DENYWR ? FILE_SHARE_READ
                                              : FILE_SHARE_READ | FILE_SHARE_WRITE;
  const DWORD disposition = (flags & _O_CREAT) ? OPEN_ALWAYS : OPEN_EXISTING;
  auto open = [&](DWORD more) {
    return ::CreateFileW(path.c_str(), access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | more,
                         nullptr);
  };
  HANDLE handle = open(FILE_FLAG_OPEN_REPARSE_POINT);
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (handle != INVALID_HANDLE_VALUE &&
      ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info) &&
      (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    ::CloseHandle(handle);
    if (isLinkReparseTag(info.FileAttributes, info.ReparseTag)) {
      windowsError = ERROR_CANT_ACCESS_FILE;
      return -1;
    }
    // The file itself behind a filter (a cloud placeholder): opened so that the filter serves it.
    handle = open(0);
  }
  if (handle == INVALID_HANDLE_VALUE) {
    windowsError = ::GetLastError();
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags & _O_APPEND);
  if (fd < 0) {
    ::CloseHandle(handle);
    windowsError = ERROR_INVALID_HANDLE;
    return -1;
  }
  windowsError = 0;
  return fd;
}

bool isReadOnly(const std::filesystem::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// A write that takes nothing without an error means the disk is full.
void writeAll(int fd, const std::string& bytes, const std::string& path) {
  errno = 0;
  if (!writeFully(fd, bytes)) throw FileError(systemDescription(errno != 0 ? errno : ENOSPC), path);
}

// The old way, for folders that take no new files: the same file, rewritten.
void rewriteInPlace(int fd, const std::string& bytes, bool syncToDisk, const std::string& path) {
  if (::_lseeki64(fd, 0, SEEK_SET) != 0) throw FileError(systemDescription(errno), path);
  writeAll(fd, bytes, path);
  if (::_chsize_s(fd, static_cast<long long>(bytes.size())) != 0)
    throw FileError(systemDescription(errno), path);
  if (syncToDisk && ::_commit(fd) != 0) throw FileError(systemDescription(errno), path);
}

}  // namespace

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::_close(fd_);
  fd_ = fd;
}

int openWithRetry(UniqueFd& file, const std::filesystem::path& path, OpenMode mode, int limitMs,
                  Reporter& reporter, int intervalMs, const std::atomic<bool>* abandon) {
  file.reset();
  std::error_code ec;
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  if (!std::filesystem::is_directory(folder, ec)) return kOpenNoFolder;
  // Never through a link, never a device: those are refused, naming the path.
  const PathKind kind = refuseForeignFile(path);
  // A folder in the file's place cannot become a file by waiting.
  if (kind == PathKind::Folder) return kOpenNoFile;
  if (kind == PathKind::Missing) return mode == OpenMode::Read ? kOpenNoFile : kOpenOk;
  if (mode == OpenMode::Write && isReadOnly(path)) return kOpenDenied;

  const int flags = mode == OpenMode::Write ? _O_RDWR : _O_RDONLY;
  HeldFileRetry retry(path, limitMs, intervalMs, reporter, abandon);
  for (;;) {
    DWORD error = 0;
    const int fd = openOwned(path, flags, _SH_DENYRW, error);
    if (fd >= 0) {
      file.reset(fd);
      return kOpenOk;
    }
    // Only another program holding the file is worth waiting for.
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) return kOpenDenied;
    if (const int stop = retry.beforeNextTry(); stop != kOpenOk) return stop;
  }
}

QuickOpen openRegularFileOnce(UniqueFd& file, const std::filesystem::path& path) {
  file.reset();
  // What cannot be looked at is not there for a reader; a link is for openWithRetry to refuse.
  const PathKind kind = pathKindAt(path);
  if (kind == PathKind::Link) return QuickOpen::Retry;
  if (kind != PathKind::Regular) return QuickOpen::Missing;
  DWORD error = 0;
  const int fd = openOwned(path, _O_RDONLY, _SH_DENYRW, error);
  if (fd < 0) return QuickOpen::Retry;
  file.reset(fd);
  return QuickOpen::Opened;
}

void saveFileContents(const std::filesystem::path& path, UniqueFd& lockedFile, const std::string& bytes,
                      bool syncToDisk, const char* openFailureText) {
  const std::string shownPath = pathText(path);
  auto cannotOpen = [&] { return CTryErr(formatText("%s\n%s", openFailureText, shownPath.c_str())); };
  // A link put in the file's place after this is replaced itself by the move, never followed.
  refuseForeignFile(path);
  const std::filesystem::path& target = path;

  std::filesystem::path temp;
  int fd = -1;
  DWORD error = 0;
  for (int n = 0; n < 100 && fd < 0; ++n) {
    temp = target;
    temp += formatText(".%lu-%d.tmp", static_cast<unsigned long>(::GetCurrentProcessId()), n);
    fd = openShared(temp, _O_WRONLY | _O_CREAT | _O_EXCL, _SH_DENYRW, error);
    if (fd < 0 && error != ERROR_FILE_EXISTS) break;
  }
  if (fd < 0) {
    if (error == ERROR_ACCESS_DENIED && lockedFile.valid()) {
      rewriteInPlace(lockedFile.get(), bytes, syncToDisk, shownPath);
      return;
    }
    throw cannotOpen();
  }
  UniqueFd written(fd);
  bool moved = false;
  struct RemoveTemp {
    const std::filesystem::path& name;
    const bool& moved;
    ~RemoveTemp() {
      std::error_code ec;
      if (!moved) std::filesystem::remove(name, ec);
    }
  } removeTemp{temp, moved};

  writeAll(written.get(), bytes, shownPath);
  if (syncToDisk && ::_commit(written.get()) != 0) throw FileError(systemDescription(errno), shownPath);
  written.reset();
  // A file held open without sharing cannot be replaced: the lock goes just before.
  lockedFile.reset();
  if (!::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw cannotOpen();
  }
  moved = true;
}

void writeIntoDevice(const std::filesystem::path& path, const std::string& bytes,
                     const char* openFailureText) {
  const std::string shownPath = pathText(path);
  DWORD error = 0;
  UniqueFd fd(openShared(path, _O_WRONLY, _SH_DENYNO, error));
  if (!fd.valid()) throw CTryErr(formatText("%s\n%s", openFailureText, shownPath.c_str()));
  writeAll(fd.get(), bytes, shownPath);
}

std::string readAll(int fd) {
  std::string bytes;
  char buffer[4096];
  for (;;) {
    const int n = ::_read(fd, buffer, sizeof buffer);
    if (n < 0) throw FileError(systemDescription(errno));
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

UniqueFd openForAppendExclusive(const std::filesystem::path& path) {
  DWORD error = 0;
  return UniqueFd(openOwned(path, _O_WRONLY | _O_CREAT | _O_APPEND, _SH_DENYWR, error));
}

UniqueFd openDenyingWriters(const std::filesystem::path& path) {
  DWORD error = 0;
  return UniqueFd(openShared(path, _O_RDONLY, _SH_DENYWR, error));
}

bool writeFully(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    const int n = ::_write(fd, bytes.data() + done, chunk);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<FileFacts> fileFacts(const std::filesystem::path& path) {
  struct _stat64 st {};
  if (::_wstat64(path.c_str(), &st) != 0) return std::nullopt;
  return FileFacts{static_cast<std::time_t>(st.st_mtime), static_cast<int64_t>(st.st_size)};
}

void setModifiedTime(int fd, std::time_t when) {
  __utimbuf64 times{when, when};
  ::_futime64(fd, &times);
}

bool canWrite(const std::filesystem::path& path) { return ::_waccess(path.c_str(), 2) == 0; }

PathKind pathKindAt(const std::filesystem::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // The kind of reparse point is in the folder's entry.
    WIN32_FIND_DATAW entry{};
    const HANDLE found = ::FindFirstFileW(path.c_str(), &entry);
    if (found == INVALID_HANDLE_VALUE) return PathKind::Link;  // not to be told: not to be trusted
    ::FindClose(found);
    if (isLinkReparseTag(entry.dwFileAttributes, entry.dwReserved0)) return PathKind::Link;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathKind::Folder;
  return (attributes & FILE_ATTRIBUTE_DEVICE) != 0 ? PathKind::Device : PathKind::Regular;
}

std::optional<std::string> readOwnedFile(const std::filesystem::path& path) {
  if (pathKindAt(path) != PathKind::Regular) return std::nullopt;
  DWORD error = 0;
  UniqueFd fd(openOwned(path, _O_RDONLY, _SH_DENYNO, error));
  if (!fd.valid()) return std::nullopt;
  try {
    return readAll(fd.get());
  } catch (const FileError&) {
    return std::nullopt;
  }
}

NewFile createNewFile(const std::filesystem::path& path, std::string_view bytes) {
  // Made only where no name is, a link's neither.
  DWORD error = 0;
  UniqueFd fd(openShared(path, _O_WRONLY | _O_CREAT | _O_EXCL, _SH_DENYRW, error));
  if (!fd.valid()) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NewFile::Taken : NewFile::Failed;
  }
  const bool written = writeFully(fd.get(), bytes);
  fd.reset();
  if (written) return NewFile::Written;
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return NewFile::Failed;
}

}  // namespace pelnor
