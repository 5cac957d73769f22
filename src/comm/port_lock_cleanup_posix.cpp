#include <signal.h>

#include "comm/port_lock_cleanup.h"
#include "comm/uucp_lock_posix.h"

namespace pelnor {

namespace {

constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Only unlink(), sigaction() and raise(): all safe in a signal handler.
void onTerminationSignal(int signal) {
  removeHeldUucpLocks();
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  ::sigemptyset(&standard.sa_mask);
  ::sigaction(signal, &standard, nullptr);
  // Blocked until the handler returns, then it ends the process.
  ::raise(signal);
}

}  // namespace

void removePortLocksOnTerminationSignals() {
  for (const int signal : kTerminationSignals) {
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    ::sigemptyset(&action.sa_mask);
    for (const int other : kTerminationSignals) ::sigaddset(&action.sa_mask, other);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace pelnor
