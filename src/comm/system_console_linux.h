// Whether a device is the system's console: the kernel writes its messages there
// (console=ttyS0) and often a login runs on it, unseen by an ordinary user's look at /proc.
// Reading it would take bytes from the login, and the kernel's text would mix with the
// readings.
#pragma once

#include <string>

#include "comm/system_trees.h"

namespace pelnor {

// The file that names the device as a console (sys/class/tty/console/active or
// proc/consoles); empty when none does. A device is matched by its name below /dev, after
// symbolic links, or by its device number.
std::string consoleListing(const std::string& devicePath, const SystemTrees& trees = {});

}  // namespace pelnor
