// The lock files that serial programs (minicom, cu, picocom, gpsd, ...) leave in /var/lock:
// "LCK..ttyS0" holding the owner's PID, so that programs that never open each other's
// ports by chance keep off a port another one uses.
#pragma once

#include <sys/types.h>

#include <string>

namespace pelnor {

// "LCK..ttyS0" for /dev/ttyS0 and "LCK..pts_4" for /dev/pts/4: the device's path below
// /dev, after symbolic links, with '/' turned into '_'. Two names of one device share
// one lock, and the pseudo-terminals' bare numbers stay apart from other devices.
std::string uucpLockName(const std::string& devicePath);

// How long a lock file without a PID counts as one still being written. An older one
// was left half-made by a program that ended.
constexpr int kUnwrittenLockSeconds = 60;

struct UucpLock {
  enum class State {
    Taken,     // the file is ours now; release it on close
    NotTaken,  // nobody else's lock, but none of ours either (no writable folder, or
               // this process has the port already)
    Held,      // a living process other than this one holds it
  };
  State state = State::NotTaken;
  pid_t holder = 0;  // Held: the PID in the file; 0 when the file cannot be read
  std::string file;  // the lock file's path
  // A stale lock removed on the way, for the application log; empty when none.
  std::string staleRemoved;
};

// Takes the device's lock in folder. A lock whose process is gone is stale and replaced,
// and so is a plain file without a PID (empty, or text that is none) older than
// kUnwrittenLockSeconds.
UucpLock takeUucpLock(const std::string& folder, const std::string& devicePath);
// Removes the lock file if it still names this process.
void releaseUucpLock(const std::string& file);

// Removes every lock file this process holds, and nothing else: only unlink(), so a
// signal handler may call it.
void removeHeldUucpLocks();

}  // namespace pelnor
