// Lock files on Windows: LockFileEx on a file every program opens by name, sharing it.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "data/file_lock.h"
#include "data/link_handle_win.h"

namespace pelnor {

LockTry tryFileLock(const std::filesystem::path& path, UniqueFd& file) {
  // Not FILE_SHARE_DELETE: a lock file that is in use must not be deleted under us.
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
  // Never through a link: that could make a file wherever it points.
  constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_ALWAYS, kFlags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) return LockTry::NoFolder;
    if (error == ERROR_SHARING_VIOLATION) return LockTry::Busy;
    handle = ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, kFlags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return LockTry::Unavailable;
  }
  if (isLinkHandle(handle)) {
    ::CloseHandle(handle);
    return LockTry::Unavailable;
  }
  OVERLAPPED whole{};
  if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? LockTry::Busy : LockTry::Unavailable;
  }
  // The descriptor owns the handle: closing it ends the lock.
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
  if (fd < 0) {
    ::CloseHandle(handle);
    return LockTry::Unavailable;
  }
  file.reset(fd);
  return LockTry::Held;
}

void FileLock::releaseAndRemove(const std::filesystem::path& path) {
  // Lock files are never opened for sharing deletion: this fails while another program
  // has it open, and then the file stays for it.
  release();
  ::DeleteFileW(path.c_str());
}

}  // namespace pelnor
