// A reception ended by a signal (kill, a service manager's stop, Ctrl+C, a closed
// terminal) must not leave its port's lock file behind: other serial programs would
// refuse the port until someone removes the file by hand.
#pragma once

namespace pelnor {

// From now on SIGTERM, SIGINT and SIGHUP remove the port lock files this process holds and
// then end it as the signal itself would, so that its exit status is the signal's. A
// signal that is ignored (nohup) stays ignored. Nothing to do on Windows, whose port
// locks end with the process.
void removePortLocksOnTerminationSignals();

}  // namespace pelnor
