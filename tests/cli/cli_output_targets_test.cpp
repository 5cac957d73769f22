// pelnor-cli's outputs onto what is not a plain file of its own: a FIFO and a device are
// written in place, a link is written through and stays a link.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/cli_runner.h"

namespace pelnor {
namespace {

using namespace test;
namespace fs = std::filesystem;

struct Output {
  const char* command;
  std::vector<std::string> args;  // up to and with the option naming the file
  std::string start;              // how the written file begins
};

std::vector<Output> outputs() {
  const std::string month = thisMonth();
  return {
      {"export-csv", {"export-csv", "--device", "100", "--date", month, "--out"}, "\x8C\x8E\x95\xCA"},
      {"export-raw", {"export-raw", "--device", "100", "--month", month, "--out"}, "00100\r\n"},
      {"render",
       {"render", "--device", "100", "--date", month, "--view", "graph", "--size", "400x300", "--out"},
       "\x89PNG"},
      {"print",
       {"print", "--device", "100", "--kind", "day", "--from", month + "-01", "--to", month + "-01", "--pdf"},
       "%PDF"},
  };
}

std::vector<std::string> onto(const Output& output, const fs::path& path) {
  std::vector<std::string> args = output.args;
  args.push_back(path.string());
  return args;
}

class CliOutputTargetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir / "Pelnor.INI", "");
    ASSERT_EQ(cli.run({"demo"}), 0) << cli.output();
  }

  // Runs a command while reading what it writes into the FIFO, as a reader at its other
  // end would; the exit code, or -1 when it did not end.
  int runReading(const std::vector<std::string>& args, int fifo, std::string& read) const {
    const pid_t pid = cli.start(args);
    if (pid < 0) return -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    bool exited = false;
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fifo, buffer, sizeof buffer);
      if (n > 0) {
        read.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (exited) break;  // drained after the writer ended
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        exited = true;
        continue;
      }
      if (std::chrono::steady_clock::now() > end) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  TempDir dir;
  CliRunner cli{dir.path()};
};

TEST_F(CliOutputTargetsTest, AFifoIsWrittenForItsReaderAndStaysAFifo) {
  for (const Output& output : outputs()) {
    SCOPED_TRACE(output.command);
    const fs::path fifo = dir / (std::string("fifo-") + output.command);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // Opened without waiting for a writer, so a command that never opens it cannot hang the test.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    std::string read;
    EXPECT_EQ(runReading(onto(output, fifo), reader, read), 0) << cli.output();
    ::close(reader);
    EXPECT_EQ(read.substr(0, output.start.size()), output.start) << read.size() << " bytes read";
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "replaced by a file of mode " << std::oct << st.st_mode;
  }
}

TEST_F(CliOutputTargetsTest, ADeviceIsWrittenInPlaceAndStaysADevice) {
  // A node of our own first: should a device ever be replaced, that one is, not the system's.
  std::vector<fs::path> devices;
  const fs::path own = dir / "null";
  if (::mknod(own.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) devices.push_back(own);
  devices.push_back("/dev/null");
  for (const fs::path& device : devices) {
    struct stat before {};
    ASSERT_EQ(::lstat(device.c_str(), &before), 0);
    for (const Output& output : outputs()) {
      SCOPED_TRACE(device.string() + " " + output.command);
      EXPECT_EQ(cli.run(onto(output, device)), 0) << cli.output();
      struct stat after {};
      ASSERT_EQ(::lstat(device.c_str(), &after), 0);
      ASSERT_TRUE(S_ISCHR(after.st_mode)) << "replaced by a file of mode " << std::oct << after.st_mode;
      EXPECT_EQ(after.st_rdev, before.st_rdev);
      EXPECT_EQ(after.st_ino, before.st_ino);
    }
  }
}

TEST_F(CliOutputTargetsTest, ALinkIsWrittenThroughAndStaysALink) {
  TempDir elsewhere;
  struct Link {
    const char* kind;
    bool targetExists;
    bool relative;
  } links[] = {
      {"to a file elsewhere", true, false},
      {"to a file elsewhere, relative", true, true},
      {"to a file not made yet", false, false},
  };
  for (const Link& link : links) {
    for (const Output& output : outputs()) {
      SCOPED_TRACE(std::string(link.kind) + " " + output.command);
      const fs::path target = elsewhere / (std::string(output.command) + (link.relative ? "-rel" : "") +
                                           (link.targetExists ? "" : "-new"));
      if (link.targetExists) writeFile(target, "old contents");
      const fs::path path = dir / (std::string("link-") + target.filename().string());
      const fs::path named = link.relative ? fs::relative(target, dir.path()) : target;
      fs::create_symlink(named, path);
      EXPECT_EQ(cli.run(onto(output, path)), 0) << cli.output();
      EXPECT_TRUE(fs::is_symlink(path));
      std::error_code ec;
      EXPECT_EQ(fs::read_symlink(path, ec), named);
      const std::string written = readFile(target);
      EXPECT_EQ(written.substr(0, output.start.size()), output.start) << written.size() << " bytes";
    }
  }
}

}  // namespace
}  // namespace pelnor
