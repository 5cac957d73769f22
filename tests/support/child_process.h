// Runs part of a test in a child process: as an ordinary user when the test runs as
// root (permissions mean nothing to root), or with a limit on the size of files it
// writes (a full disk without filling one).
#pragma once

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

namespace pelnor::test {

struct ChildLimits {
  bool asOrdinaryUser = false;
  long fileSizeLimit = -1;  // bytes; -1 for none
};

constexpr uid_t kOrdinaryUser = 65534;  // nobody

// The text body returns, or nothing when the child could not run it.
inline std::optional<std::string> runInChild(const std::function<std::string()>& body, ChildLimits limits) {
  int fds[2];
  if (::pipe(fds) != 0) return std::nullopt;
  pid_t pid = ::fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    ::close(fds[0]);
    if (limits.asOrdinaryUser && ::getuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 || ::setuid(kOrdinaryUser) != 0)
        _exit(3);
    }
    if (limits.fileSizeLimit >= 0) {
      ::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit then fails with EFBIG
      rlimit limit{static_cast<rlim_t>(limits.fileSizeLimit), static_cast<rlim_t>(limits.fileSizeLimit)};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(4);
    }
    std::string result = body();
    const char* data = result.data();
    std::size_t left = result.size();
    while (left > 0) {
      ssize_t n = ::write(fds[1], data, left);
      if (n <= 0) _exit(5);
      data += n;
      left -= static_cast<std::size_t>(n);
    }
    _exit(0);
  }
  ::close(fds[1]);
  std::string result;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) result.append(buffer, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return result;
}

}  // namespace pelnor::test
