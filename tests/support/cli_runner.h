// Runs pelnor-cli as a user does, with its output (stdout and stderr) in one file.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace pelnor::test {

// This month as YYYY-MM: the demonstration data ends in it.
inline std::string thisMonth() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m", &local);
  return text;
}

class CliRunner {
 public:
  // Every run gets --root and --ini in dir; the output lands in dir/out.txt.
  explicit CliRunner(std::filesystem::path dir) : dir_(std::move(dir)) {}

  // Starts pelnor-cli with args, its output into dir/outName; returns its pid. With a
  // file size limit every file it writes beyond that many bytes fails as on a full disk.
  pid_t start(const std::vector<std::string>& commandArgs, const std::string& outName = "out.txt",
              long fileSizeLimit = -1) const {
    std::vector<std::string> args{PELNOR_CLI_PATH};
    args.insert(args.end(), commandArgs.begin(), commandArgs.end());
    args.insert(args.end(), {"--root", dir_.string(), "--ini", (dir_ / "Pelnor.INI").string()});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = (dir_ / outName).string();
    if (fileSizeLimit >= 0) return startLimited(argv, out, fileSizeLimit);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // The termination signals as a terminal leaves them, also when the tests run in the
    // background (which ignores SIGINT).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t standard;
    sigemptyset(&standard);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&standard, signal);
    posix_spawnattr_setsigdefault(&attributes, &standard);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    if (posix_spawn(&pid, PELNOR_CLI_PATH, &actions, &attributes, argv.data(), environ) != 0) pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
  }
  // The exit code, or -1 when it did not end within the limit.
  int finish(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(20)) const {
    if (pid < 0) return -1;
    auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int run(const std::vector<std::string>& args) const { return finish(start(args)); }
  std::string output(const std::string& outName = "out.txt") const { return readFile(dir_ / outName); }

 private:
  static pid_t startLimited(std::vector<char*>& argv, const std::string& out, long fileSizeLimit) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    const int in = ::open("/dev/null", O_RDONLY);
    const int output = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || output < 0 || ::dup2(in, 0) < 0 || ::dup2(output, 1) < 0 || ::dup2(output, 2) < 0)
      _exit(127);
    ::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit then fails instead of ending the program
    const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    ::execv(PELNOR_CLI_PATH, argv.data());
    _exit(127);
  }

  std::filesystem::path dir_;
};

}  // namespace pelnor::test
