// A pseudo-terminal pair: the test writes a device's bytes on the master side, the
// program opens the slave side as its serial port.
#pragma once

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace pelnor::test {

class PtyPair {
 public:
  PtyPair() {
    termios raw{};
    cfmakeraw(&raw);
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, &raw, nullptr) == 0) slavePath_ = name;
  }
  ~PtyPair() {
    closeMaster();
    if (slave_ >= 0) ::close(slave_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool valid() const { return master_ >= 0; }
  const std::string& slavePath() const { return slavePath_; }
  int master() const { return master_; }
  int slave() const { return slave_; }  // the test's own hold on the program's side

  bool write(const std::string& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }
  // The device goes away: the program's side sees a hang-up.
  void closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  // The test's own hold on the slave side; closing it leaves only the program's.
  void closeSlave() {
    if (slave_ >= 0) ::close(slave_);
    slave_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace pelnor::test
