#include "comm/port_lock_cleanup.h"

namespace pelnor {

// A port opened on Windows is the process's alone and freed with it: no file to remove.
void removePortLocksOnTerminationSignals() {}

}  // namespace pelnor
