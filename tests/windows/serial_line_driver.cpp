// The device's side of the Win32 serial port test, on Linux: a pseudo-terminal whose slave
// Wine shows as COMn (through the link in the prefix's dosdevices folder). It starts the
// command, and while it runs does what the Windows side asks by files in a shared folder:
// "send" (its bytes are written to the line) and "vanish" (the line goes away).
//
//   serial_line_driver COM_LINK REQUEST_FOLDER COMMAND...
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/pty_pair.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: serial_line_driver COM_LINK REQUEST_FOLDER COMMAND...\n");
    return 2;
  }
  const fs::path link = argv[1];
  const fs::path requests = argv[2];
  pelnor::test::PtyPair line;
  if (!line.valid()) {
    std::perror("openpty");
    return 2;
  }
  std::error_code ec;
  fs::remove(link, ec);
  fs::create_symlink(line.slavePath(), link);

  const pid_t child = ::fork();
  if (child == 0) {
    ::execvp(argv[3], argv + 3);
    std::perror(argv[3]);
    ::_exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  int status = 0;
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "serial_line_driver: the command did not end; stopped\n");
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return 1;
    }
    if (fs::exists(requests / "send")) {
      line.write(readAll(requests / "send"));
      fs::remove(requests / "send");
    }
    if (fs::exists(requests / "vanish")) {
      line.closeMaster();
      fs::remove(requests / "vanish");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  fs::remove(link, ec);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
