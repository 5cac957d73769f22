// Another program on the machine, as a port sees it: `sleep` in a process of its own,
// with a device as its standard input if asked (opened plainly, as `cat` does: no lock,
// no TIOCEXCL) and none of the test's other descriptors. Ended with the object.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace pelnor::test {

class OtherProgram {
 public:
  explicit OtherProgram(const std::string& input = "/dev/null") {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      const int fd = ::open(input.c_str(), O_RDONLY | O_NOCTTY);
      if (fd < 0 || ::dup2(fd, 0) < 0) _exit(126);
      // The pseudo-terminals the test made are not inherited: only the input is held.
      for (int other = 3; other < 1024; ++other) ::fcntl(other, F_SETFD, FD_CLOEXEC);
      ::execlp("sleep", "sleep", "60", static_cast<char*>(nullptr));
      _exit(127);
    }
    ::close(ready[1]);
    // The pipe closes when the child has become `sleep` (or has failed to).
    char byte;
    while (pid_ > 0 && ::read(ready[0], &byte, 1) > 0) {
    }
    ::close(ready[0]);
  }
  ~OtherProgram() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  pid_t pid() const { return pid_; }
  bool running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

  // The PID of a process that has ended: what a lock left behind by a crash names.
  static pid_t endedPid() {
    const pid_t pid = ::fork();
    if (pid == 0) _exit(0);
    if (pid > 0) ::waitpid(pid, nullptr, 0);
    return pid;
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace pelnor::test
