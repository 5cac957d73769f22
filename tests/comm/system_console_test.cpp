// The kernel's consoles, as a fake sysfs and proc tree names them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "comm/system_console_linux.h"
#include "data/text.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace pelnor {
namespace {

using namespace test;

TEST(SystemConsole, TheDevicesTheKernelListsAsItsConsoles) {
  PtyPair pty;
  ASSERT_TRUE(pty.valid());
  struct stat st {};
  ASSERT_EQ(::stat(pty.slavePath().c_str(), &st), 0);
  const std::string ptyNumber = formatText("%u:%u", ::major(st.st_rdev), ::minor(st.st_rdev));
  TempDir tree;
  std::filesystem::create_directories(tree / "sys/class/tty/console");
  std::filesystem::create_directories(tree / "proc");
  std::filesystem::create_directories(tree / "sys/class/tty/ttyX1");
  writeFile(tree / "sys/class/tty/ttyX1/dev", ptyNumber + "\n");
  std::filesystem::create_symlink(pty.slavePath(), tree / "link-to-pty");
  const SystemTrees trees{tree / "sys", tree / "proc"};
  const std::string active = (tree / "sys/class/tty/console/active").string();
  const std::string consoles = (tree / "proc/consoles").string();

  struct Case {
    const char* what;
    std::string device;
    std::string activeText;    // empty: no such file
    std::string consolesText;  // empty: no such file
    std::string listing;       // empty: not a console
  } cases[] = {
      {"the serial console beside the screen's", "/dev/ttyS0", "tty0 ttyS0\n", "", active},
      {"another serial port", "/dev/ttyS1", "tty0 ttyS0\n", "", ""},
      {"a name that only begins alike", "/dev/ttyS10", "ttyS1\n", "", ""},
      {"only /proc/consoles names it", "/dev/ttyS0", "", "ttyS0                -W- (EC p a)    4:64\n",
       consoles},
      {"a USB adapter beside the consoles", "/dev/ttyUSB0", "tty0\n",
       "tty0                 -WU (E  p  )    4:1\nttyS0                -W- (EC p a)    4:64\n", ""},
      {"known by its number under another name", pty.slavePath(), "",
       "ttyX0                -W- (EC p a)    " + ptyNumber + "\n", consoles},
      {"its number in sysfs under another name", pty.slavePath(), "tty0 ttyX1\n", "", active},
      {"by a symbolic link to it", (tree / "link-to-pty").string(), "",
       "ttyX0                -W- (EC p a)    " + ptyNumber + "\n", consoles},
      {"no console files at all", "/dev/ttyS0", "", "", ""},
      {"empty console files", "/dev/ttyS0", "\n", "\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(active);
    std::filesystem::remove(consoles);
    if (!c.activeText.empty()) writeFile(active, c.activeText);
    if (!c.consolesText.empty()) writeFile(consoles, c.consolesText);
    EXPECT_EQ(consoleListing(c.device, trees), c.listing);
  }
}

}  // namespace
}  // namespace pelnor
