// The file system as the data files use it: owned descriptors, the retrying exclusive open,
// whole-file replacement and the small reads and writes beside them. The platform's side is
// in file_system_posix.cpp and file_system_win.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "data/file_errors.h"
#include "data/reporter.h"

namespace pelnor {

// How long the retrying open keeps trying. Tests shorten these.
struct OpenRetry {
  static constexpr int kIntervalMs = 200;
  static constexpr int kMonthFileLimitMs = 180000;
  static constexpr int kMasterFileLimitMs = 60000;

  int intervalMs = kIntervalMs;
  int monthFileLimitMs = kMonthFileLimitMs;
  int masterFileLimitMs = kMasterFileLimitMs;
};

// An owned POSIX file descriptor.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

enum class OpenMode {
  Read,  // an existing file, read only
  Write  // an existing file must be writable; it is replaced by saveFileContents
};

// Result codes of openWithRetry; callers treat every non-zero code alike.
constexpr int kOpenOk = 0;
constexpr int kOpenNoFolder = -1;
constexpr int kOpenNoFile = -2;
constexpr int kOpenTimedOut = -3;
constexpr int kOpenDenied = -4;     // no permission, or a write-protected file: waiting cannot help
constexpr int kOpenAbandoned = -5;  // the caller or the person gave up waiting

// Opens path with an exclusive lock, retrying every intervalMs while another process
// holds it, until limitMs have passed (0: one try) or *abandon becomes true or the person
// gives up the wait the reporter shows (HeldFileRetry). For OpenMode::Write the
// file is opened for writing, and a file without any write permission bit counts as
// write-protected even for a user who could override it; a missing file needs no lock:
// file then stays invalid and the result is kOpenOk. The path is a file of a data root
// (owned_file.h): a link, device or FIFO there is never opened but refused, throwing
// CTryErr that names it.
int openWithRetry(UniqueFd& file, const std::filesystem::path& path, OpenMode mode, int limitMs,
                  Reporter& reporter, int intervalMs = OpenRetry::kIntervalMs,
                  const std::atomic<bool>* abandon = nullptr);

// What one try at opening an existing regular file for reading found.
enum class QuickOpen {
  Opened,   // open, and locked as openWithRetry locks it
  Missing,  // no regular file there that can be looked at (anything else is not opened)
  Retry     // anything else (held elsewhere, no permission, ...): openWithRetry decides
};
// The way in for a file that is read whole: no wait and no folder checks when the file
// is simply there or simply missing.
QuickOpen openRegularFileOnce(UniqueFd& file, const std::filesystem::path& path);

// Saves bytes as the plain file at path (created when missing): a new temporary file
// beside it, flushed to disk when asked, takes the old file's mode, owner and group and is
// renamed over it, so a failure leaves the old file whole. The path is a file of a data
// root (owned_file.h): a link, device or FIFO there is refused, throwing CTryErr that names
// it, and nothing it names is read or written. Where the folder allows no new file but the
// existing file (lockedFile, opened by openWithRetry for writing) is writable, the file is
// rewritten in place through lockedFile.
// Throws CTryErr with openFailureText and the path when the file cannot be created or
// replaced, FileError naming the path when writing it fails. Where the platform cannot
// replace a file it holds open, lockedFile is closed just before the replace.
void saveFileContents(const std::filesystem::path& path, UniqueFd& lockedFile, const std::string& bytes,
                      bool syncToDisk, const char* openFailureText);
// Writes bytes into the device or FIFO at path as it is, never replacing it (an export to
// /dev/stdout). Throws CTryErr with openFailureText and the path when it cannot be opened,
// FileError when writing fails.
void writeIntoDevice(const std::filesystem::path& path, const std::string& bytes,
                     const char* openFailureText);

// Reads a whole open file. Throws FileError.
std::string readAll(int fd);

// One try at opening a file for appending, created when missing, with others kept from
// writing it; invalid when it is held elsewhere or cannot be opened. The logs kept in the
// own data root are its files: a link in their place is not followed.
UniqueFd openForAppendExclusive(const std::filesystem::path& path);
// One try at opening a file for reading while others are kept from writing it (others may
// read along); invalid when it is held by a writer or cannot be opened.
UniqueFd openDenyingWriters(const std::filesystem::path& path);
// The whole file, opened so; empty when it is held by a writer or cannot be read.
std::optional<std::string> readDenyingWriters(const std::filesystem::path& path);
// Writes all bytes; false when the file would not take them.
bool writeFully(int fd, std::string_view bytes);
// When a file was last changed and how large it is; empty when it does not exist.
struct FileFacts {
  std::time_t modified;
  int64_t size;
};
std::optional<FileFacts> fileFacts(const std::filesystem::path& path);
// Sets an open file's modification time (the logs keep their period in it).
void setModifiedTime(int fd, std::time_t when);
// Whether this user may write the file or folder.
bool canWrite(const std::filesystem::path& path);

}  // namespace pelnor
