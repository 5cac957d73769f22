// A file held open by "another program" in the way that keeps Pelnor's exclusive open
// out: an flock on POSIX, a deny-all share mode on Windows.
#pragma once

#include <fcntl.h>

#include <filesystem>
#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace pelnor::test {

class HeldFile {
 public:
  explicit HeldFile(const std::filesystem::path& path) {
#ifdef _WIN32
    if (::_wsopen_s(&fd_, path.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYRW, 0) != 0) fd_ = -1;
#else
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) release();
#endif
  }
  ~HeldFile() { release(); }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  bool held() const { return fd_ >= 0; }
  void release() {
    if (fd_ < 0) return;
#ifdef _WIN32
    ::_close(fd_);
#else
    ::close(fd_);
#endif
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

}  // namespace pelnor::test
