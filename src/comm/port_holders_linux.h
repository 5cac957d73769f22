// Who else has a device open, as /proc shows it. Programs that take no lock at all (a
// cat on the port, a getty) are found only this way.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace pelnor {

struct PortHolder {
  pid_t pid = 0;
  std::string program;  // empty when it cannot be seen
};

// The program name of a process ("cat"); empty when it cannot be seen.
std::string programName(pid_t pid);

// Another process that has the device open. As an ordinary user only one's own
// processes can be seen; processes that end meanwhile and those we may not look into
// are passed over.
std::optional<PortHolder> findPortHolder(const std::string& devicePath);

}  // namespace pelnor
