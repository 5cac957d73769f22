#include "data/file_errors.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

#include "data/text.h"

namespace pelnor {

namespace {

constexpr std::size_t kDescriptionMaxBytes = 100;

std::string systemDescription(int error) { return std::strerror(error); }

}  // namespace

std::string describeCurrentException(const char* module, int line) {
  const char* kind = "例外発生";
  std::string description;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    kind = "メモリ不足";
  } catch (const FileError& e) {
    kind = "ﾌｧｲﾙｱｸｾｽ異常";
    description = e.what();
  } catch (const ArchiveError& e) {
    kind = "ｱｰｶｲﾌﾞ異常";
    description = e.what();
  } catch (const std::exception& e) {
    description = e.what();
  } catch (...) {
  }
  description = cp932ToUtf8(cutCp932(utf8ToCp932(description), kDescriptionMaxBytes));
  return formatText("%s\n%s\n%s(%d)", kind, description.c_str(), module, line);
}

void reportCurrentException(Reporter& reporter, const char* module, int line) {
  try {
    throw;
  } catch (const CTryErr& e) {
    reporter.info(e.text());
  } catch (...) {
    reporter.plain(describeCurrentException(module, line));
  }
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

int openWithRetry(UniqueFd& file, const std::filesystem::path& path, OpenMode mode, int limitMs,
                  Reporter& reporter, int intervalMs) {
  WaitCursor wait(reporter);
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

  auto start = std::chrono::steady_clock::now();
  for (;;) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
      file = std::move(fd);
      return kOpenOk;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(limitMs)) {
      return kOpenTimedOut;
    }
  }
}

void replaceFileContents(const std::filesystem::path& path, const std::string& bytes, bool syncToDisk) {
  std::string tempName = path.string() + ".XXXXXX";
  UniqueFd fd(::mkstemp(tempName.data()));
  if (!fd.valid()) throw FileError(systemDescription(errno));
  auto fail = [&](int error) {
    fd.reset();
    ::unlink(tempName.c_str());
    throw FileError(systemDescription(error));
  };
  // Keep the permissions an existing file had.
  struct stat old {};
  mode_t mode = 0644;
  if (::stat(path.c_str(), &old) == 0) mode = old.st_mode & 07777;
  if (::fchmod(fd.get(), mode) != 0) fail(errno);

  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd.get(), data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(n < 0 ? errno : ENOSPC);
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  if (syncToDisk && ::fsync(fd.get()) != 0) fail(errno);
  if (::close(fd.release()) != 0) fail(errno);
  if (::rename(tempName.c_str(), path.c_str()) != 0) fail(errno);
  if (syncToDisk) {
    std::filesystem::path folder = path.parent_path();
    UniqueFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());
  }
}

std::string readAll(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw FileError(systemDescription(errno));
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError(systemDescription(errno));
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

}  // namespace pelnor
